// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include <QStringList>
#include <vector>

#include "platform/gumbo_arena.h"
#include "platform/web_browser.h"

namespace {

QString utf8(const char* text) {
    return QString::fromUtf8(text);
}

QString attributeValue(const GumboElement& element, const char* name) {
    const GumboAttribute* attribute = gumbo_get_attribute(&element.attributes, name);
    return attribute != nullptr ? utf8(attribute->value) : QString();
}

bool isHtmlSpace(QChar c) {
    return c == u' ' || c == u'\t' || c == u'\n' || c == u'\f' || c == u'\r';
}

// A refresh declaration: the seconds before it fires and the address it loads, null for the page
// itself. Read as browsers read `content`: "5", "0;url=/a", "0; URL='/a'", "1, /a".
struct Refresh {
    qint64 seconds = 0;
    QString target;
};

std::optional<Refresh> readRefresh(const QString& content) {
    qsizetype i = 0;
    const qsizetype n = content.size();
    while (i < n && isHtmlSpace(content[i])) {
        ++i;
    }
    const qsizetype digits = i;
    Refresh refresh;
    while (i < n && content[i].isDigit() && content[i].unicode() < 0x80) {
        if (refresh.seconds < 1000000) {
            refresh.seconds = refresh.seconds * 10 + (content[i].unicode() - u'0');
        }
        ++i;
    }
    if (i == digits && (i == n || content[i] != u'.')) {
        return std::nullopt;
    }
    while (i < n && (content[i] == u'.' || (content[i].isDigit() && content[i].unicode() < 0x80))) {
        ++i;
    }
    while (i < n && isHtmlSpace(content[i])) {
        ++i;
    }
    if (i < n && (content[i] == u';' || content[i] == u',')) {
        ++i;
    }
    while (i < n && isHtmlSpace(content[i])) {
        ++i;
    }
    if (i == n) {
        return refresh;
    }
    if (QStringView(content).sliced(i).startsWith(u"url", Qt::CaseInsensitive)) {
        qsizetype j = i + 3;
        while (j < n && isHtmlSpace(content[j])) {
            ++j;
        }
        if (j < n && content[j] == u'=') {
            i = j + 1;
            while (i < n && isHtmlSpace(content[i])) {
                ++i;
            }
        }
    }
    qsizetype end = n;
    if (i < n && (content[i] == u'"' || content[i] == u'\'')) {
        const QChar quote = content[i];
        ++i;
        const qsizetype closing = content.indexOf(quote, i);
        end = closing < 0 ? n : closing;
    }
    refresh.target = content.sliced(i, end - i).trimmed();
    return refresh;
}

// Just enough of the script language to tell the statements at the top level of a script block
// from those in a function, a block or under a condition.
struct Token {
    enum class Kind { Name, String, Punct, Other } kind = Kind::Other;
    QString text;  // a string's value, without its quotes
    bool newlineBefore = false;
};

bool isNameStart(QChar c) {
    return c.isLetter() || c == u'_' || c == u'$';
}

bool isNamePart(QChar c) {
    return c.isLetterOrNumber() || c == u'_' || c == u'$';
}

bool isLineEnd(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar(0x2028) || c == QChar(0x2029);
}

const QStringList& keywordsBeforeExpression() {
    static const QStringList words = {
        QStringLiteral("return"), QStringLiteral("typeof"), QStringLiteral("instanceof"),
        QStringLiteral("in"),     QStringLiteral("of"),     QStringLiteral("new"),
        QStringLiteral("delete"), QStringLiteral("void"),   QStringLiteral("throw"),
        QStringLiteral("case"),   QStringLiteral("do"),     QStringLiteral("else"),
        QStringLiteral("yield"),  QStringLiteral("await")};
    return words;
}

// Whether a "/" after `previous` starts a regular expression rather than a division.
bool regexMayFollow(const Token* previous) {
    if (previous == nullptr) {
        return true;
    }
    switch (previous->kind) {
        case Token::Kind::Name:
            return keywordsBeforeExpression().contains(previous->text);
        case Token::Kind::Punct:
            return previous->text != u")" && previous->text != u"]" && previous->text != u"}" &&
                   previous->text != u"++" && previous->text != u"--";
        default:
            return false;
    }
}

std::vector<Token> tokenize(const QString& s) {
    std::vector<Token> tokens;
    const qsizetype n = s.size();
    qsizetype i = 0;
    bool newline = false;
    const auto skipLine = [&] {
        while (i < n && !isLineEnd(s[i])) {
            ++i;
        }
    };
    while (i < n) {
        const QChar c = s[i];
        const QChar next = i + 1 < n ? s[i + 1] : QChar();
        if (isLineEnd(c)) {
            newline = true;
            ++i;
            continue;
        }
        if (c.isSpace()) {
            ++i;
            continue;
        }
        if (c == u'/' && next == u'/') {
            skipLine();
            continue;
        }
        if (c == u'/' && next == u'*') {
            const qsizetype close = s.indexOf(QStringLiteral("*/"), i + 2);
            const qsizetype end = close < 0 ? n : close + 2;
            for (qsizetype k = i; k < end; ++k) {
                newline = newline || isLineEnd(s[k]);
            }
            i = end;
            continue;
        }
        // The comment marks pages put around their scripts for browsers that had none.
        if (QStringView(s).sliced(i).startsWith(u"<!--") ||
            ((tokens.empty() || newline) && QStringView(s).sliced(i).startsWith(u"-->"))) {
            skipLine();
            continue;
        }
        Token token;
        token.newlineBefore = newline;
        newline = false;
        if (c == u'"' || c == u'\'' || c == u'`') {
            token.kind = Token::Kind::String;
            ++i;
            while (i < n && s[i] != c) {
                if (s[i] == u'\\' && i + 1 < n) {
                    ++i;
                    if (isLineEnd(s[i])) {
                        ++i;
                        continue;
                    }
                }
                token.text += s[i];
                ++i;
            }
            ++i;
        } else if (c == u'/' && regexMayFollow(tokens.empty() ? nullptr : &tokens.back())) {
            bool inClass = false;
            ++i;
            while (i < n && !isLineEnd(s[i]) && (inClass || s[i] != u'/')) {
                if (s[i] == u'\\') {
                    ++i;
                } else if (s[i] == u'[') {
                    inClass = true;
                } else if (s[i] == u']') {
                    inClass = false;
                }
                ++i;
            }
            ++i;
            while (i < n && isNamePart(s[i])) {
                ++i;
            }
        } else if (isNameStart(c)) {
            token.kind = Token::Kind::Name;
            const qsizetype start = i;
            while (i < n && isNamePart(s[i])) {
                ++i;
            }
            token.text = s.sliced(start, i - start);
        } else if (c.isDigit()) {
            while (i < n && (isNamePart(s[i]) || s[i] == u'.')) {
                ++i;
            }
        } else {
            token.kind = Token::Kind::Punct;
            static const QStringList operators = {
                QStringLiteral("==="), QStringLiteral("!=="), QStringLiteral("=="),
                QStringLiteral("!="),  QStringLiteral("=>"),  QStringLiteral("<="),
                QStringLiteral(">="),  QStringLiteral("+="),  QStringLiteral("-="),
                QStringLiteral("*="),  QStringLiteral("/="),  QStringLiteral("%="),
                QStringLiteral("&="),  QStringLiteral("|="),  QStringLiteral("^="),
                QStringLiteral("++"),  QStringLiteral("--"),  QStringLiteral("&&"),
                QStringLiteral("||"),  QStringLiteral("??")};
            token.text = c;
            for (const QString& op : operators) {
                if (QStringView(s).sliced(i).startsWith(op)) {
                    token.text = op;
                    break;
                }
            }
            i += token.text.size();
        }
        tokens.push_back(std::move(token));
    }
    return tokens;
}

bool isPunct(const std::vector<Token>& tokens, size_t i, const char16_t* text) {
    return i < tokens.size() && tokens[i].kind == Token::Kind::Punct && tokens[i].text == text;
}

bool isName(const std::vector<Token>& tokens, size_t i, const char16_t* text) {
    return i < tokens.size() && tokens[i].kind == Token::Kind::Name && tokens[i].text == text;
}

bool endsExpression(const Token& token) {
    switch (token.kind) {
        case Token::Kind::Name:
            return !keywordsBeforeExpression().contains(token.text);
        case Token::Kind::Punct:
            return token.text == u")" || token.text == u"]" || token.text == u"}" ||
                   token.text == u"++" || token.text == u"--";
        default:
            return true;
    }
}

// The string the statement's value is when it is one string alone, else null: the address is
// worked out as the script runs.
QString literalAt(const std::vector<Token>& tokens, size_t i, bool call) {
    if (i >= tokens.size() || tokens[i].kind != Token::Kind::String) {
        return {};
    }
    const size_t after = i + 1;
    const bool alone = call ? isPunct(tokens, after, u")")
                            : after == tokens.size() || isPunct(tokens, after, u";") ||
                                  isPunct(tokens, after, u"}") || tokens[after].newlineBefore;
    return alone ? (tokens[i].text.isNull() ? QStringLiteral("") : tokens[i].text) : QString();
}

// A statement from token `i` on that sends the browser elsewhere: the address written, or an
// empty text for one the script works out.
std::optional<QString> navigationStatement(const std::vector<Token>& tokens, size_t i) {
    size_t j = i;
    if ((isName(tokens, j, u"window") || isName(tokens, j, u"self") ||
         isName(tokens, j, u"document")) &&
        isPunct(tokens, j + 1, u".")) {
        j += 2;
    }
    if (!isName(tokens, j, u"location")) {
        return std::nullopt;
    }
    ++j;
    if (isPunct(tokens, j, u"=")) {
        return literalAt(tokens, j + 1, false);
    }
    if (!isPunct(tokens, j, u".")) {
        return std::nullopt;
    }
    if (isName(tokens, j + 1, u"href") && isPunct(tokens, j + 2, u"=")) {
        return literalAt(tokens, j + 3, false);
    }
    if ((isName(tokens, j + 1, u"replace") || isName(tokens, j + 1, u"assign")) &&
        isPunct(tokens, j + 2, u"(")) {
        return literalAt(tokens, j + 3, true);
    }
    return std::nullopt;
}

std::optional<QString> scriptNavigation(const QString& script) {
    const std::vector<Token> tokens = tokenize(script);
    int braces = 0;
    std::vector<bool> parens;  // open brackets; true for the condition of if, while, for, with
    bool atStart = true;
    // A control head (`if (...)`, `else`, `do`) has just ended: the next statement is governed.
    bool governed = false;
    for (size_t i = 0; i < tokens.size(); ++i) {
        const Token& token = tokens[i];
        const bool top = braces == 0 && parens.empty();
        if (top) {
            const bool start = atStart || (token.newlineBefore && i > 0 &&
                                           endsExpression(tokens[i - 1]) && !governed);
            if (start && !governed) {
                if (auto target = navigationStatement(tokens, i)) {
                    return target;
                }
            }
            atStart = false;
            governed = false;
        }
        if (token.kind == Token::Kind::Name) {
            if (top && (token.text == u"else" || token.text == u"do")) {
                governed = true;
            }
            continue;
        }
        if (token.kind != Token::Kind::Punct) {
            continue;
        }
        if (token.text == u";") {
            atStart = atStart || top;
        } else if (token.text == u"{") {
            ++braces;
        } else if (token.text == u"}") {
            braces = braces > 0 ? braces - 1 : 0;
            atStart = braces == 0 && parens.empty();
        } else if (token.text == u"(" || token.text == u"[") {
            const bool condition =
                top && token.text == u"(" && i > 0 &&
                (isName(tokens, i - 1, u"if") || isName(tokens, i - 1, u"while") ||
                 isName(tokens, i - 1, u"for") || isName(tokens, i - 1, u"with"));
            parens.push_back(condition);
        } else if ((token.text == u")" || token.text == u"]") && !parens.empty()) {
            const bool condition = parens.back();
            parens.pop_back();
            governed = condition && braces == 0 && parens.empty();
        }
    }
    return std::nullopt;
}

bool isScript(const GumboElement& element) {
    if (gumbo_get_attribute(&element.attributes, "src") != nullptr) {
        return false;  // its own text does not run
    }
    const QString type = attributeValue(element, "type").trimmed().toLower();
    return type.isEmpty() || type.contains(u"javascript") || type.contains(u"ecmascript") ||
           type == u"module";
}

QString textOf(const GumboElement& element) {
    QString text;
    for (unsigned i = 0; i < element.children.length; ++i) {
        const auto* child = static_cast<const GumboNode*>(element.children.data[i]);
        if (child->type == GUMBO_NODE_TEXT || child->type == GUMBO_NODE_WHITESPACE ||
            child->type == GUMBO_NODE_CDATA) {
            text += utf8(child->v.text.text);
        }
    }
    return text;
}

// Calls `visit` for every element in document order, templates left out (their content is not
// part of the document), until it returns true.
template <typename Visit>
void forEachElement(const QString& html, Visit visit) {
    const QByteArray bytes = html.toUtf8();
    ParseArena arena;
    const GumboOptions options = arena.options();
    const GumboOutput* output =
        gumbo_parse_with_options(&options, bytes.constData(), size_t(bytes.size()));
    if (output == nullptr) {
        return;
    }
    std::vector<const GumboNode*> pending{output->root};
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        if (node->type != GUMBO_NODE_ELEMENT) {
            continue;
        }
        if (visit(node->v.element)) {
            return;
        }
        const GumboVector& children = node->v.element.children;
        for (unsigned i = children.length; i > 0; --i) {
            pending.push_back(static_cast<const GumboNode*>(children.data[i - 1]));
        }
    }
}

QUrl withoutFragment(const QUrl& url) {
    return url.adjusted(QUrl::RemoveFragment);
}

}  // namespace

std::optional<QUrl> NavigationOnLoad(const QString& html, const QUrl& address) {
    std::optional<QString> scripted;
    std::optional<QString> refreshed;
    forEachElement(html, [&](const GumboElement& element) {
        if (element.tag == GUMBO_TAG_SCRIPT && isScript(element)) {
            scripted = scriptNavigation(textOf(element));
            return scripted.has_value();
        }
        if (element.tag == GUMBO_TAG_META && !refreshed &&
            attributeValue(element, "http-equiv")
                    .trimmed()
                    .compare(u"refresh", Qt::CaseInsensitive) == 0) {
            const std::optional<Refresh> refresh = readRefresh(attributeValue(element, "content"));
            if (refresh && refresh->seconds <= kImmediateRefreshSeconds &&
                !refresh->target.isNull()) {
                refreshed = refresh->target;
            }
        }
        return false;
    });
    // A script runs as the page is read, before the refresh is due.
    const std::optional<QString> target = scripted ? scripted : refreshed;
    if (!target) {
        return std::nullopt;
    }
    if (target->isNull()) {
        return QUrl();
    }
    const QUrl resolved = address.resolved(QUrl(*target));
    if (resolved.scheme() == u"javascript" ||
        withoutFragment(resolved) == withoutFragment(address)) {
        return std::nullopt;
    }
    return resolved;
}

bool HoldsPasswordField(const QString& html) {
    bool found = false;
    forEachElement(html, [&](const GumboElement& element) {
        found = element.tag == GUMBO_TAG_INPUT &&
                attributeValue(element, "type").compare(u"password", Qt::CaseInsensitive) == 0;
        return found;
    });
    return found;
}
