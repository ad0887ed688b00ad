// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <gumbo.h>

#include <QRegularExpression>
#include <QStringDecoder>
#include <vector>

#include "platform/gumbo_arena.h"
#include "platform/markup_depth.h"
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

// One piece of work for the writer: a node to write, or the end tag of an element whose
// children have been written. Pages may nest elements tens of thousands deep, so the tree is
// walked with this explicit stack rather than by recursion, which ran out of stack.
struct WriteStep {
    const GumboNode* node = nullptr;
    bool raw = false;
    QString endTag;  // set for an end tag
};

void pushChildren(std::vector<WriteStep>& steps, const GumboVector& children, bool raw) {
    for (unsigned i = children.length; i > 0; --i) {
        steps.push_back({static_cast<const GumboNode*>(children.data[i - 1]), raw, {}});
    }
}

void writeStartTag(QString& out, const QString& name, const GumboElement& element) {
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
}

void writeChildren(QString& out, const GumboVector& children, bool raw) {
    std::vector<WriteStep> steps;
    pushChildren(steps, children, raw);
    while (!steps.empty()) {
        WriteStep step = std::move(steps.back());
        steps.pop_back();
        if (step.node == nullptr) {
            out += QLatin1String("</");
            out += step.endTag;
            out += u'>';
            continue;
        }
        const GumboNode* node = step.node;
        switch (node->type) {
            case GUMBO_NODE_ELEMENT:
            case GUMBO_NODE_TEMPLATE: {
                const GumboElement& element = node->v.element;
                const QString name = tagName(element);
                const bool raw = isRawText(element.tag);
                if (name.isEmpty()) {
                    pushChildren(steps, element.children, raw);
                    break;
                }
                writeStartTag(out, name, element);
                if (isVoid(element.tag)) {
                    break;
                }
                steps.push_back({nullptr, false, name});
                pushChildren(steps, element.children, raw);
                break;
            }
            case GUMBO_NODE_TEXT:
            case GUMBO_NODE_WHITESPACE:
                if (step.raw) {
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
                pushChildren(steps, node->v.document.children, step.raw);
                break;
        }
    }
}

// The first body element in document order.
const GumboNode* findBody(const GumboNode* root) {
    std::vector<const GumboNode*> pending{root};
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT) {
            continue;
        }
        if (node->v.element.tag == GUMBO_TAG_BODY) {
            return node;
        }
        const GumboVector& children = node->v.element.children;
        for (unsigned i = children.length; i > 0; --i) {
            pending.push_back(static_cast<const GumboNode*>(children.data[i - 1]));
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
    // Gumbo checks scopes by walking its stack of open elements, which made a page nested tens of
    // thousands deep take seconds; the browser never nests that deep anyway.
    const QByteArray utf8 = BoundNestingDepth(html.toUtf8());
    ParseArena arena;
    const GumboOptions options = arena.options();
    const GumboOutput* output =
        gumbo_parse_with_options(&options, utf8.constData(), size_t(utf8.size()));
    QString out;
    if (output != nullptr) {
        if (const GumboNode* body = findBody(output->root)) {
            writeChildren(out, body->v.element.children, false);
        }
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
