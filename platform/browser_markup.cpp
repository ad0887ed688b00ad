#include <gumbo.h>

#include <QRegularExpression>
#include <QStringDecoder>

#include "platform/text_codec.h"
#include "platform/web_browser.h"

namespace {

bool isVoid(GumboTag tag) {
    switch (tag) {
        case GUMBO_TAG_AREA:
        case GUMBO_TAG_BASE:
        case GUMBO_TAG_BASEFONT:
        case GUMBO_TAG_BGSOUND:
        case GUMBO_TAG_BR:
        case GUMBO_TAG_COL:
        case GUMBO_TAG_EMBED:
        case GUMBO_TAG_FRAME:
        case GUMBO_TAG_HR:
        case GUMBO_TAG_IMG:
        case GUMBO_TAG_INPUT:
        case GUMBO_TAG_KEYGEN:
        case GUMBO_TAG_LINK:
        case GUMBO_TAG_META:
        case GUMBO_TAG_PARAM:
        case GUMBO_TAG_SOURCE:
        case GUMBO_TAG_TRACK:
        case GUMBO_TAG_WBR:
            return true;
        default:
            return false;
    }
}

// Elements whose text the browser hands out as it stands, without character references.
bool isRawText(GumboTag tag) {
    switch (tag) {
        case GUMBO_TAG_SCRIPT:
        case GUMBO_TAG_STYLE:
        case GUMBO_TAG_XMP:
        case GUMBO_TAG_IFRAME:
        case GUMBO_TAG_NOEMBED:
        case GUMBO_TAG_NOFRAMES:
        case GUMBO_TAG_NOSCRIPT:
        case GUMBO_TAG_PLAINTEXT:
            return true;
        default:
            return false;
    }
}

QString pieceText(const GumboStringPiece& piece) {
    return QString::fromUtf8(piece.data, qsizetype(piece.length));
}

QString tagName(const GumboElement& element) {
    if (element.tag != GUMBO_TAG_UNKNOWN) {
        return QString::fromLatin1(gumbo_normalized_tagname(element.tag)).toUpper();
    }
    GumboStringPiece original = element.original_tag;
    if (original.length == 0) {
        return {};
    }
    gumbo_tag_from_original_text(&original);
    return pieceText(original).toUpper();
}

bool isSimpleValue(const QString& value) {
    if (value.isEmpty()) {
        return false;
    }
    for (const QChar c : value) {
        const char16_t u = c.unicode();
        const bool simple = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                            (u >= u'0' && u <= u'9') || u == u'-' || u == u'_' || u == u'.';
        if (!simple) {
            return false;
        }
    }
    return true;
}

void appendEscaped(QString& out, const char* text) {
    const QString s = QString::fromUtf8(text);
    for (const QChar c : s) {
        switch (c.unicode()) {
            case u'&':
                out += QLatin1String("&amp;");
                break;
            case u'<':
                out += QLatin1String("&lt;");
                break;
            case u'>':
                out += QLatin1String("&gt;");
                break;
            case 0x00A0:
                out += QLatin1String("&nbsp;");
                break;
            default:
                out += c;
        }
    }
}

void writeNode(QString& out, const GumboNode* node, bool raw);

void writeChildren(QString& out, const GumboVector& children, bool raw) {
    for (unsigned i = 0; i < children.length; ++i) {
        writeNode(out, static_cast<const GumboNode*>(children.data[i]), raw);
    }
}

void writeElement(QString& out, const GumboElement& element) {
    const QString name = tagName(element);
    const bool raw = isRawText(element.tag);
    if (name.isEmpty()) {
        writeChildren(out, element.children, raw);
        return;
    }
    out += u'<';
    out += name;
    for (unsigned i = 0; i < element.attributes.length; ++i) {
        const auto* attribute = static_cast<const GumboAttribute*>(element.attributes.data[i]);
        out += u' ';
        out += attribute->original_name.length > 0 ? pieceText(attribute->original_name)
                                                   : QString::fromUtf8(attribute->name);
        out += u'=';
        const QString value = QString::fromUtf8(attribute->value);
        if (isSimpleValue(value)) {
            out += value;
        } else {
            out += QLatin1String("\"\"");
            out += value;
            out += QLatin1String("\"\"");
        }
    }
    out += u'>';
    if (isVoid(element.tag)) {
        return;
    }
    writeChildren(out, element.children, raw);
    out += QLatin1String("</");
    out += name;
    out += u'>';
}

void writeNode(QString& out, const GumboNode* node, bool raw) {
    switch (node->type) {
        case GUMBO_NODE_ELEMENT:
        case GUMBO_NODE_TEMPLATE:
            writeElement(out, node->v.element);
            break;
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
            if (raw) {
                out += QString::fromUtf8(node->v.text.text);
            } else {
                appendEscaped(out, node->v.text.text);
            }
            break;
        case GUMBO_NODE_CDATA:
            out += QString::fromUtf8(node->v.text.text);
            break;
        case GUMBO_NODE_COMMENT:
            out += QLatin1String("<!--");
            out += QString::fromUtf8(node->v.text.text);
            out += QLatin1String("-->");
            break;
        case GUMBO_NODE_DOCUMENT:
            writeChildren(out, node->v.document.children, raw);
            break;
    }
}

const GumboNode* findBody(const GumboNode* node) {
    if (node->type != GUMBO_NODE_ELEMENT) {
        return nullptr;
    }
    if (node->v.element.tag == GUMBO_TAG_BODY) {
        return node;
    }
    const GumboVector& children = node->v.element.children;
    for (unsigned i = 0; i < children.length; ++i) {
        if (const GumboNode* body = findBody(static_cast<const GumboNode*>(children.data[i]))) {
            return body;
        }
    }
    return nullptr;
}

QByteArray charsetIn(const QByteArray& text) {
    static const QRegularExpression charset(
        QStringLiteral(R"(charset\s*=\s*["']?([A-Za-z0-9_.:-]+))"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = charset.match(QString::fromLatin1(text));
    return m.hasMatch() ? m.captured(1).toLatin1().toLower() : QByteArray();
}

}  // namespace

QString BrowserBodyMarkup(const QString& html) {
    const QByteArray utf8 = html.toUtf8();
    GumboOutput* output =
        gumbo_parse_with_options(&kGumboDefaultOptions, utf8.constData(), size_t(utf8.size()));
    QString out;
    if (output != nullptr) {
        if (const GumboNode* body = findBody(output->root)) {
            writeChildren(out, body->v.element.children, false);
        }
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
    return out;
}

QString DecodePage(const QByteArray& bytes, const QByteArray& contentType) {
    QByteArray charset = charsetIn(contentType);
    if (charset.isEmpty()) {
        // The declaration a page makes for itself sits near its top.
        charset = charsetIn(bytes.left(4096));
    }
    if (charset == "euc-jp" || charset == "x-euc-jp" || charset == "eucjp") {
        return DecodeEucJp(bytes);
    }
    if (charset == "shift_jis" || charset == "shift-jis" || charset == "x-sjis" ||
        charset == "sjis" || charset == "windows-31j" || charset == "cp932" || charset == "ms932") {
        return DecodeCp932(bytes);
    }
    if (!charset.isEmpty()) {
        QStringDecoder decoder(charset.constData());
        if (decoder.isValid()) {
            return decoder.decode(bytes);
        }
    }
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8.decode(bytes);
    if (!utf8.hasError()) {
        return text;
    }
    return DecodeCp932(bytes);
}
