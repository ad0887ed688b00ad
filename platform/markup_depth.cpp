// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Kestrelview developers

#include "platform/markup_depth.h"

#include <QHash>
#include <cstring>
#include <initializer_list>
#include <vector>

namespace {

// What the HTML parser does with an element, as far as the depth of its stack goes.
enum Trait : unsigned {
    kVoid = 1u << 0,        // never open
    kIgnored = 1u << 1,     // html, head, body: one of each, never nested
    kSpecial = 1u << 2,     // an end tag of another element does not pass it
    kScope = 1u << 3,       // bounds the scope in which end tags and implied ends look
    kListScope = 1u << 4,   // also bounds a list item's scope
    kTableScope = 1u << 5,  // bounds a table cell's or row's scope
    kClosesP = 1u << 6,     // its start tag ends an open p
    kRawText = 1u << 7,     // its text runs to its end tag, unparsed
    kPlainText = 1u << 8,   // its text runs to the end of the page
    kForeign = 1u << 9,     // svg, math: their elements may close themselves with "/>"
    kHeading = 1u << 10,
    kTablePart = 1u << 11,  // opens only inside a table
};

constexpr unsigned kBlock = kSpecial | kClosesP;

struct Group {
    unsigned traits;
    std::initializer_list<const char*> names;
};

const Group kGroups[] = {
    {kVoid,
     {"area", "base", "basefont", "bgsound", "br", "col", "embed", "frame", "hr", "image", "img",
      "input", "keygen", "link", "meta", "param", "source", "track", "wbr"}},
    {kIgnored | kScope | kTableScope, {"html"}},
    {kIgnored, {"head", "body"}},
    {kBlock, {"address", "article", "aside",  "blockquote", "center",     "details", "dialog",
              "dir",     "div",     "dl",     "fieldset",   "figcaption", "figure",  "footer",
              "form",    "header",  "hgroup", "main",       "menu",       "nav",     "p",
              "section", "summary", "li",     "dd",         "dt",         "pre",     "listing"}},
    {kBlock | kListScope, {"ol", "ul"}},
    {kBlock | kHeading, {"h1", "h2", "h3", "h4", "h5", "h6"}},
    {kBlock | kScope | kTableScope, {"table"}},
    {kBlock | kRawText, {"xmp"}},
    {kBlock | kPlainText, {"plaintext"}},
    {kSpecial | kScope, {"applet", "button", "marquee", "object"}},
    {kSpecial | kScope | kTableScope, {"template"}},
    {kSpecial | kScope | kTablePart, {"caption", "td", "th"}},
    {kSpecial | kTablePart, {"tr", "tbody", "thead", "tfoot", "colgroup"}},
    {kSpecial, {"select", "noscript"}},
    {kSpecial | kRawText,
     {"iframe", "noembed", "noframes", "script", "style", "textarea", "title"}},
    {kForeign, {"svg", "math"}},
};

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r';
}

bool isAsciiLetter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

// Follows the stack of open elements through the page's tags and notes where the markup must
// change for the parser to keep within the browser's depth.
class DepthBound {
  public:
    explicit DepthBound(const QByteArray& html) : m_html(html) {
        for (const Group& group : kGroups) {
            for (const char* name : group.names) {
                m_traits[size_t(id(QByteArray(name)))] = group.traits;
            }
        }
        m_p = id("p");
        m_li = id("li");
        m_dd = id("dd");
        m_dt = id("dt");
        m_dl = id("dl");
        m_form = id("form");
        m_button = id("button");
        m_select = id("select");
        m_td = id("td");
        m_th = id("th");
        m_tr = id("tr");
        m_tbody = id("tbody");
        m_thead = id("thead");
        m_tfoot = id("tfoot");
        m_table = id("table");
        m_caption = id("caption");
        m_option = id("option");
        m_optgroup = id("optgroup");
        m_a = id("a");
        m_nobr = id("nobr");
    }

    QByteArray run() {
        scan();
        if (m_edits.empty()) {
            return m_html;
        }
        QByteArray out;
        out.reserve(m_html.size() + m_insertedBytes);
        qsizetype from = 0;
        for (const Edit& edit : m_edits) {
            out.append(m_html.constData() + from, edit.at - from);
            out += edit.insert;
            from = edit.at + edit.removed;
        }
        out.append(m_html.constData() + from, m_html.size() - from);
        return out;
    }

  private:
    struct Open {
        int name;
        bool ghost;  // closed in the markup the parser is given; still open for the browser
    };
    struct Edit {
        qsizetype at;
        qsizetype removed;
        QByteArray insert;
    };

    // The html and body elements sit below everything the page nests in its body.
    static constexpr int kRootLevels = 2;

    int id(const QByteArray& name) {
        const auto found = m_ids.constFind(name);
        if (found != m_ids.constEnd()) {
            return found.value();
        }
        m_traits.push_back(0);
        m_names.push_back(name);
        m_byName.emplace_back();
        const int added = int(m_names.size() - 1);
        m_ids.insert(name, added);
        return added;
    }

    int nearest(int name) const {
        return m_byName[size_t(name)].empty() ? -1 : m_byName[size_t(name)].back();
    }
    static int last(const std::vector<int>& indices) {
        return indices.empty() ? -1 : indices.back();
    }
    bool inScope(int index, int bound) const { return index >= 0 && index >= bound; }
    int scope() const { return last(m_scopes); }

    void push(int name) {
        const int index = int(m_stack.size());
        m_stack.push_back({name, false});
        m_byName[size_t(name)].push_back(index);
        const unsigned traits = m_traits[size_t(name)];
        if ((traits & kSpecial) != 0) {
            m_specials.push_back(index);
        }
        if ((traits & kScope) != 0) {
            m_scopes.push_back(index);
        }
        if ((traits & (kScope | kListScope)) != 0) {
            m_listScopes.push_back(index);
        }
        if ((traits & kTableScope) != 0) {
            m_tableScopes.push_back(index);
        }
        if ((traits & kForeign) != 0) {
            m_foreign.push_back(index);
        }
    }

    // Pops the stack down to `size` elements.
    void popTo(int size) {
        while (int(m_stack.size()) > size) {
            const int index = int(m_stack.size() - 1);
            m_byName[size_t(m_stack.back().name)].pop_back();
            for (std::vector<int>* indices :
                 {&m_specials, &m_scopes, &m_listScopes, &m_tableScopes, &m_foreign}) {
                if (!indices->empty() && indices->back() == index) {
                    indices->pop_back();
                }
            }
            m_stack.pop_back();
        }
    }

    void closeTag(QByteArray& into, int name) const {
        into += "</";
        into += m_names[size_t(name)];
        into += '>';
    }

    // Ends the element at `index` and everything above it, as the parser does by itself for an
    // element still open in its markup. One closed in the markup already needs the elements above
    // it closed in the markup too, or the parser would keep them open.
    void closeThrough(int index, qsizetype at, qsizetype removed = 0) {
        if (m_stack[size_t(index)].ghost || removed > 0) {
            Edit edit{at, removed, {}};
            if (m_stack[size_t(index)].ghost) {
                for (int i = int(m_stack.size()) - 1; i > index; --i) {
                    if (!m_stack[size_t(i)].ghost) {
                        closeTag(edit.insert, m_stack[size_t(i)].name);
                    }
                }
            }
            if (edit.removed > 0 || !edit.insert.isEmpty()) {
                m_insertedBytes += edit.insert.size();
                m_edits.push_back(std::move(edit));
            }
        }
        popTo(index);
    }

    void closeIfInScope(int name, int bound, qsizetype at) {
        const int index = nearest(name);
        if (inScope(index, bound)) {
            closeThrough(index, at);
        }
    }

    // The ends a start tag implies for elements still open.
    void impliedEnds(int name, unsigned traits, qsizetype at) {
        if (name == m_li) {
            closeIfInScope(m_li, std::max(scope(), last(m_listScopes)), at);
        } else if (name == m_dd || name == m_dt) {
            const int item = std::max(nearest(m_dd), nearest(m_dt));
            if (inScope(item, std::max(scope(), nearest(m_dl)))) {
                closeThrough(item, at);
            }
        } else if (name == m_td || name == m_th || name == m_tr) {
            const int bound = last(m_tableScopes);
            const int cell = std::max(nearest(m_td), nearest(m_th));
            if (inScope(cell, bound)) {
                closeThrough(cell, at);
            }
            if (name == m_tr) {
                closeIfInScope(m_tr, bound, at);
            }
        } else if (name == m_tbody || name == m_thead || name == m_tfoot) {
            const int section = std::max({nearest(m_tbody), nearest(m_thead), nearest(m_tfoot)});
            if (inScope(section, last(m_tableScopes))) {
                closeThrough(section, at);
            }
        } else if (name == m_table) {
            // A table straight inside another ends it.
            const int table = nearest(m_table);
            if (table >= 0 &&
                table > std::max({nearest(m_td), nearest(m_th), nearest(m_caption)})) {
                closeThrough(table, at);
            }
        } else if (name == m_option || name == m_optgroup) {
            if (!m_stack.empty() && m_stack.back().name == m_option) {
                closeThrough(int(m_stack.size() - 1), at);
            }
        } else if (name == m_a || name == m_nobr || name == m_button) {
            closeIfInScope(name, scope(), at);
        }
        if ((traits & kClosesP) != 0) {
            closeIfInScope(m_p, std::max(scope(), nearest(m_button)), at);
        }
        if ((traits & kHeading) != 0 && !m_stack.empty() &&
            (m_traits[size_t(m_stack.back().name)] & kHeading) != 0) {
            closeThrough(int(m_stack.size() - 1), at);
        }
    }

    // Returns whether the element opens, and so whether its raw text follows.
    bool startTag(int name, bool selfClosing, qsizetype at) {
        const unsigned traits = m_traits[size_t(name)];
        const bool foreign = !m_foreign.empty() || (traits & kForeign) != 0;
        if ((traits & (kVoid | kIgnored)) != 0 || (foreign && selfClosing)) {
            return false;
        }
        if (!foreign) {
            // A form inside a form and a select inside a select are not opened.
            if ((name == m_form || name == m_select) && nearest(name) >= 0) {
                if (name == m_select) {
                    closeThrough(nearest(name), at);
                }
                return false;
            }
            // The parts of a table open only inside one.
            if ((traits & kTablePart) != 0 && nearest(m_table) < 0) {
                return false;
            }
            impliedEnds(name, traits, at);
        }
        if (!foreign && (name == m_tr || name == m_td || name == m_th)) {
            // Rows go into a body section and cells into a row, which the parser opens for them.
            const int table = nearest(m_table);
            if (std::max({nearest(m_tbody), nearest(m_thead), nearest(m_tfoot)}) < table) {
                open(m_tbody, at);
            }
            if (name != m_tr && nearest(m_tr) < table) {
                open(m_tr, at);
            }
        }
        open(name, at);
        return !foreign;
    }

    // Opens an element where the browser would: past its depth, beside the current element.
    void open(int name, qsizetype at) {
        if (kRootLevels + int(m_stack.size()) > kMaximumTreeDepth && !m_stack.back().ghost) {
            Edit edit{at, 0, {}};
            closeTag(edit.insert, m_stack.back().name);
            m_insertedBytes += edit.insert.size();
            m_edits.push_back(std::move(edit));
            m_stack.back().ghost = true;
        }
        push(name);
    }

    void endTag(int name, qsizetype at, qsizetype end) {
        const unsigned traits = m_traits[size_t(name)];
        const int index = nearest(name);
        if ((traits & (kVoid | kIgnored)) != 0 || index < 0) {
            return;
        }
        if (m_foreign.empty() || index < last(m_foreign)) {
            if ((traits & kSpecial) != 0 ? !inScope(index, scope()) : last(m_specials) > index) {
                return;  // the parser passes over this end tag
            }
        }
        closeThrough(index, at, m_stack[size_t(index)].ghost ? end - at : 0);
    }

    qsizetype find(const char* what, qsizetype from) const {
        const qsizetype found = m_html.indexOf(what, from);
        return found < 0 ? m_html.size() : found;
    }

    // Past the end tag of a raw-text element `name` from `from`, or the end of the page.
    qsizetype rawTextEnd(const QByteArray& name, qsizetype from) const {
        const char* data = m_html.constData();
        const qsizetype size = m_html.size();
        for (qsizetype at = from; at < size;) {
            const void* lt = std::memchr(data + at, '<', size_t(size - at));
            if (lt == nullptr) {
                break;
            }
            at = static_cast<const char*>(lt) - data;
            qsizetype i = at + 1;
            if (i < size && data[i] == '/') {
                ++i;
                qsizetype n = 0;
                while (n < name.size() && i + n < size && lower(data[i + n]) == name[n]) {
                    ++n;
                }
                if (n == name.size() && (i + n == size || isBlank(data[i + n]) ||
                                         data[i + n] == '/' || data[i + n] == '>')) {
                    return at;
                }
            }
            at += 1;
        }
        return size;
    }

    void scan() {
        const char* data = m_html.constData();
        const qsizetype size = m_html.size();
        qsizetype at = 0;
        while (at < size) {
            const void* found = std::memchr(data + at, '<', size_t(size - at));
            if (found == nullptr) {
                return;
            }
            const qsizetype lt = static_cast<const char*>(found) - data;
            const char next = lt + 1 < size ? data[lt + 1] : '\0';
            if (next == '!') {
                if (QByteArrayView(m_html).sliced(lt).startsWith("<!--")) {
                    const qsizetype close = find("-->", lt + 4);
                    at = std::min(size, close + 3);
                } else if (!m_foreign.empty() &&
                           QByteArrayView(m_html).sliced(lt).startsWith("<![CDATA[")) {
                    at = std::min(size, find("]]>", lt + 9) + 3);
                } else {
                    at = find(">", lt + 2) + 1;
                }
                continue;
            }
            if (next == '?') {
                at = find(">", lt + 2) + 1;
                continue;
            }
            const bool end = next == '/';
            const qsizetype nameStart = lt + (end ? 2 : 1);
            if (nameStart >= size || !isAsciiLetter(data[nameStart])) {
                at = end ? find(">", lt + 2) + 1 : lt + 1;
                continue;
            }
            qsizetype i = nameStart;
            QByteArray name;
            while (i < size && !isBlank(data[i]) && data[i] != '/' && data[i] != '>') {
                name += lower(data[i]);
                ++i;
            }
            bool selfClosing = false;
            bool complete = false;
            while (i < size) {
                const char c = data[i];
                if (c == '>') {
                    complete = true;
                    ++i;
                    break;
                }
                if (c == '/') {
                    selfClosing = i + 1 < size && data[i + 1] == '>';
                    ++i;
                    continue;
                }
                if (isBlank(c)) {
                    ++i;
                    continue;
                }
                // An attribute: its name, then perhaps "=" and a value.
                ++i;
                while (i < size && !isBlank(data[i]) && data[i] != '/' && data[i] != '>' &&
                       data[i] != '=') {
                    ++i;
                }
                while (i < size && isBlank(data[i])) {
                    ++i;
                }
                if (i < size && data[i] == '=') {
                    ++i;
                    while (i < size && isBlank(data[i])) {
                        ++i;
                    }
                    if (i < size && (data[i] == '"' || data[i] == '\'')) {
                        const void* quote =
                            std::memchr(data + i + 1, data[i], size_t(size - i - 1));
                        i = quote == nullptr ? size : static_cast<const char*>(quote) - data + 1;
                    } else {
                        while (i < size && !isBlank(data[i]) && data[i] != '>') {
                            ++i;
                        }
                    }
                }
            }
            if (!complete) {
                return;  // a tag cut off by the end of the page is no tag
            }
            const int tag = id(name);
            if (end) {
                endTag(tag, lt, i);
            } else if (startTag(tag, selfClosing, lt)) {
                const unsigned traits = m_traits[size_t(tag)];
                if ((traits & kPlainText) != 0) {
                    return;
                }
                if ((traits & kRawText) != 0) {
                    i = rawTextEnd(name, i);
                }
            }
            at = i;
        }
    }

    const QByteArray& m_html;
    QHash<QByteArray, int> m_ids;
    std::vector<unsigned> m_traits;
    std::vector<QByteArray> m_names;
    std::vector<std::vector<int>> m_byName;  // where each element name stands in the stack
    std::vector<Open> m_stack;
    std::vector<int> m_specials, m_scopes, m_listScopes, m_tableScopes, m_foreign;
    std::vector<Edit> m_edits;
    qsizetype m_insertedBytes = 0;
    int m_p = 0, m_li = 0, m_dd = 0, m_dt = 0, m_dl = 0, m_a = 0, m_form = 0, m_button = 0,
        m_select = 0, m_td = 0, m_th = 0, m_tr = 0, m_tbody = 0, m_thead = 0, m_tfoot = 0,
        m_table = 0, m_caption = 0, m_option = 0, m_optgroup = 0, m_nobr = 0;
};

}  // namespace

QByteArray BoundNestingDepth(const QByteArray& html) {
    return DepthBound(html).run();
}
