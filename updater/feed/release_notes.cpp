#include "updater/feed/release_notes.h"

#include <vector>

#include "updater/feed/html_entities.h"
#include "updater/feed/shell_text.h"
#include "updater/update_log.h"

// The notes come from the vendor's feed, so they are treated as hostile text: nothing in them
// may become a mark-up tag except the few this reducer writes itself, every tag it opens is
// closed, and only https links survive as links. The mark-up's own brackets ('<', '>', '{', '}')
// are written as its escapes ("<" + bracket + ">").

namespace {

constexpr std::size_t kMaxFormatDepth = 16;  // deeper nesting still reads, just without more fonts
// Past this many open elements further ones are ignored, so a flood of unmatched closing tags
// cannot make each close search a long stack.
constexpr std::size_t kMaxOpenElements = 64;
constexpr std::size_t kMaxListIndent = 8;

wchar_t Lower(wchar_t ch) {
    return (ch >= L'A' && ch <= L'Z') ? static_cast<wchar_t>(ch - L'A' + L'a') : ch;
}

bool IsAsciiLetter(wchar_t ch) {
    return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z');
}

bool IsHtmlSpace(wchar_t ch) {
    return ch == L' ' || ch == L'\t' || ch == L'\n' || ch == L'\r' || ch == L'\f';
}

void AppendEscaped(wchar_t ch, std::wstring& out) {
    if (ch == L'<' || ch == L'>' || ch == L'{' || ch == L'}') {
        out += L'<';
        out += ch;
        out += L'>';
    } else {
        out += ch;
    }
}

bool IsControl(wchar_t ch) {
    return ch < 0x20 || ch == 0x7F;
}

// A link target the mark-up can carry unchanged and the window may open: https, a host, and
// printable ASCII without quotes, brackets or blanks (which would end or break the tag).
bool IsSafeHttpsLink(std::wstring_view url) {
    constexpr std::wstring_view scheme = L"https://";
    if (url.size() <= scheme.size() || url[scheme.size()] == L'/') return false;
    for (std::size_t i = 0; i < scheme.size(); ++i) {
        if (Lower(url[i]) != scheme[i]) return false;
    }
    for (wchar_t ch : url) {
        if (ch <= 0x20 || ch >= 0x7F) return false;
        if (std::wstring_view(L"<>{}\"'`\\^|").find(ch) != std::wstring_view::npos) return false;
    }
    return true;
}

struct Tag {
    std::wstring name;  // lower case
    bool closing = false;
    bool selfClosing = false;
    std::wstring href;
};

bool IsOneOf(const std::wstring& name, std::initializer_list<const wchar_t*> names) {
    for (const wchar_t* n : names) {
        if (name == n) return true;
    }
    return false;
}

class Reducer {
public:
    std::wstring Run(std::wstring_view html) {
        std::size_t pos = 0;
        while (pos < html.size()) {
            if (html[pos] == L'<') {
                pos = ReadMarkup(html, pos);
            } else if (html[pos] == L'&') {
                std::wstring decoded;
                const std::size_t used = DecodeHtmlEntity(html.substr(pos), decoded);
                Text(used ? std::wstring_view(decoded) : std::wstring_view(L"&"));
                pos += used ? used : 1;
            } else {
                Text(html.substr(pos, 1));
                ++pos;
            }
        }
        CloseFormatsFrom(0);
        return std::move(m_out);
    }

private:
    struct Format {
        std::wstring html;  // the element that opened it
        wchar_t letter;     // 'b', 'i', 'a', or 0 for nothing drawn
        std::wstring link;
        bool written = false;
    };

    // ---- Reading the HTML ----
    std::size_t ReadMarkup(std::wstring_view html, std::size_t pos) {
        const std::wstring_view rest = html.substr(pos);
        if (rest.substr(0, 4) == L"<!--") {
            const std::size_t end = html.find(L"-->", pos + 4);
            return end == std::wstring_view::npos ? html.size() : end + 3;
        }
        const wchar_t next = rest.size() > 1 ? rest[1] : L'\0';
        if (next == L'!' || next == L'?') {
            const std::size_t end = html.find(L'>', pos);
            return end == std::wstring_view::npos ? html.size() : end + 1;
        }
        const bool closing = next == L'/';
        if (!IsAsciiLetter(closing ? (rest.size() > 2 ? rest[2] : L'\0') : next)) {
            Text(L"<");
            return pos + 1;
        }
        Tag tag;
        const std::size_t end = ReadTag(html, pos + (closing ? 2 : 1), tag);
        if (end == std::wstring_view::npos) return html.size();  // an unclosed tag ends the notes
        tag.closing = closing;
        if (!closing && IsDropped(tag.name) && !tag.selfClosing) return SkipContent(html, end, tag.name);
        closing ? CloseTag(tag) : OpenTag(tag);
        return end;
    }

    // The tag's name and attributes from `pos` (its first letter); returns the position after
    // its '>', or npos when there is none. Quoted values may hold '>'.
    static std::size_t ReadTag(std::wstring_view html, std::size_t pos, Tag& tag) {
        while (pos < html.size() && (IsAsciiLetter(html[pos]) || (html[pos] >= L'0' && html[pos] <= L'9'))) {
            tag.name += Lower(html[pos++]);
        }
        while (pos < html.size() && html[pos] != L'>') {
            if (IsHtmlSpace(html[pos]) || html[pos] == L'/') {
                tag.selfClosing = html[pos] == L'/';
                ++pos;
                continue;
            }
            std::wstring name;
            while (pos < html.size() && !IsHtmlSpace(html[pos]) && html[pos] != L'>' && html[pos] != L'=' &&
                   html[pos] != L'/') {
                name += Lower(html[pos++]);
            }
            tag.selfClosing = false;
            std::wstring value;
            if (pos < html.size() && html[pos] == L'=') pos = ReadValue(html, pos + 1, value);
            if (pos == std::wstring_view::npos) return pos;
            if (name == L"href") tag.href = value;
            if (name.empty() && pos < html.size() && html[pos] != L'>') ++pos;  // a stray character
        }
        return pos < html.size() ? pos + 1 : std::wstring_view::npos;
    }

    static std::size_t ReadValue(std::wstring_view html, std::size_t pos, std::wstring& value) {
        std::wstring raw;
        if (pos < html.size() && (html[pos] == L'"' || html[pos] == L'\'')) {
            const std::size_t end = html.find(html[pos], pos + 1);
            if (end == std::wstring_view::npos) return end;
            raw = html.substr(pos + 1, end - pos - 1);
            pos = end + 1;
        } else {
            const std::size_t start = pos;
            while (pos < html.size() && !IsHtmlSpace(html[pos]) && html[pos] != L'>') ++pos;
            raw = html.substr(start, pos - start);
        }
        for (std::size_t i = 0; i < raw.size();) {
            const std::size_t used = raw[i] == L'&' ? DecodeHtmlEntity(std::wstring_view(raw).substr(i), value) : 0;
            if (used == 0) value += raw[i];
            i += used ? used : 1;
        }
        const std::size_t first = value.find_first_not_of(L" \t\r\n");
        value = first == std::wstring::npos ? std::wstring() : value.substr(first, value.find_last_not_of(L" \t\r\n") - first + 1);
        return pos;
    }

    // Elements whose content is never text for the reader: scripts, styles, embedded documents.
    static bool IsDropped(const std::wstring& name) {
        return IsOneOf(name, {L"script", L"style", L"iframe", L"object", L"embed", L"template", L"svg", L"math",
                              L"head", L"title", L"noscript", L"video", L"audio", L"canvas", L"frameset", L"select",
                              L"textarea"});
    }

    static std::size_t SkipContent(std::wstring_view html, std::size_t pos, const std::wstring& name) {
        for (std::size_t at = html.find(L"</", pos); at != std::wstring_view::npos; at = html.find(L"</", at + 2)) {
            std::size_t i = 0;
            while (i < name.size() && at + 2 + i < html.size() && Lower(html[at + 2 + i]) == name[i]) ++i;
            const std::size_t after = at + 2 + i;
            if (i == name.size() && (after == html.size() || html[after] == L'>' || IsHtmlSpace(html[after]))) {
                const std::size_t end = html.find(L'>', after);
                return end == std::wstring_view::npos ? html.size() : end + 1;
            }
        }
        return html.size();
    }

    // ---- Tags ----
    void OpenTag(const Tag& tag) {
        const std::wstring& n = tag.name;
        if (n == L"br") {
            LineBreak();
        } else if (n == L"b" || n == L"strong") {
            PushFormat(n, L'b');
        } else if (n == L"i" || n == L"em") {
            PushFormat(n, L'i');
        } else if (n.size() == 2 && n[0] == L'h' && n[1] >= L'1' && n[1] <= L'6') {
            RequestBreaks(2);
            PushFormat(n, L'b');
        } else if (n == L"a") {
            OpenLink(tag);
        } else if (n == L"ul" || n == L"ol") {
            m_lists.push_back(n == L"ol" ? 1 : 0);
            RequestBreaks(1);
        } else if (n == L"li") {
            StartListItem();
        } else if (n == L"pre") {
            RequestBreaks(2);
            ++m_pre;
        } else if (n == L"td" || n == L"th") {
            m_spacePending = true;
        } else {
            BlockBoundary(n);
        }
    }

    void CloseTag(const Tag& tag) {
        const std::wstring& n = tag.name;
        if (n == L"b" || n == L"strong" || n == L"i" || n == L"em" || n == L"a") {
            PopFormat(n);
        } else if (n.size() == 2 && n[0] == L'h' && n[1] >= L'1' && n[1] <= L'6') {
            PopFormat(n);
            RequestBreaks(1);
        } else if (n == L"ul" || n == L"ol") {
            if (!m_lists.empty()) m_lists.pop_back();
            RequestBreaks(1);
        } else if (n == L"pre") {
            if (m_pre > 0) --m_pre;
            RequestBreaks(2);
        } else if (n == L"li") {
            RequestBreaks(1);
        } else {
            BlockBoundary(n);
        }
    }

    void BlockBoundary(const std::wstring& n) {
        if (IsOneOf(n, {L"p", L"blockquote", L"hr", L"table", L"dl"})) {
            RequestBreaks(2);
        } else if (IsOneOf(n, {L"div", L"tr", L"dt", L"dd", L"section", L"article", L"header", L"footer", L"nav",
                               L"aside", L"main", L"figure", L"figcaption", L"address", L"details", L"summary"})) {
            RequestBreaks(1);
        }
    }

    void OpenLink(const Tag& tag) {
        for (const Format& f : m_formats) {
            if (f.letter == L'a') return;  // links do not nest; the inner one is text
        }
        bool safe = IsSafeHttpsLink(tag.href);
        // The shell would fill in the user's name or folders: the link stays text.
        if (safe && ShellWouldExpand(tag.href)) {
            LogLine("notes: a link that names an environment variable is shown as text");
            safe = false;
        }
        const std::size_t before = m_formats.size();
        PushFormat(L"a", safe ? L'a' : 0);
        if (safe && m_formats.size() > before) m_formats.back().link = tag.href;
    }

    void StartListItem() {
        RequestBreaks(1);
        const std::size_t depth = m_lists.empty() ? 1 : m_lists.size();
        m_bullet.assign(2 * ((depth < kMaxListIndent ? depth : kMaxListIndent) - 1), L' ');
        if (!m_lists.empty() && m_lists.back() > 0) {
            m_bullet += std::to_wstring(m_lists.back()++) + L". ";
        } else {
            m_bullet += L"\u2022 ";
        }
    }

    void PushFormat(const std::wstring& html, wchar_t letter) {
        if (m_formats.size() >= kMaxOpenElements) return;
        m_formats.push_back(Format{html, m_formats.size() < kMaxFormatDepth ? letter : L'\0', {}, false});
    }

    // Closes the innermost open element of that name and everything opened inside it, so the
    // mark-up stays balanced however the HTML nests.
    void PopFormat(const std::wstring& html) {
        for (std::size_t i = m_formats.size(); i-- > 0;) {
            if (m_formats[i].html == html) {
                CloseFormatsFrom(i);
                return;
            }
        }
    }

    void CloseFormatsFrom(std::size_t index) {
        while (m_formats.size() > index) {
            const Format& f = m_formats.back();
            if (f.written) {
                m_out += L"</";
                m_out += f.letter;
                m_out += L'>';
            }
            m_formats.pop_back();
        }
    }

    // ---- Writing ----
    void RequestBreaks(int count) {
        m_pendingBreaks = count > m_pendingBreaks ? count : m_pendingBreaks;
        m_spacePending = false;
    }

    void LineBreak() {
        if (!m_anyText) return;
        FlushBreaks();
        m_out += L"<n>";
        ++m_lineEnds;
        m_spacePending = false;
    }

    void FlushBreaks() {
        if (m_anyText) {
            for (int i = m_lineEnds; i < m_pendingBreaks; ++i) {
                m_out += L"<n>";
                ++m_lineEnds;
            }
        }
        m_pendingBreaks = 0;
    }

    void Text(std::wstring_view text) {
        for (wchar_t ch : text) {
            if (m_pre > 0 && ch == L'\n') {
                LineBreak();
                continue;
            }
            if (IsHtmlSpace(ch)) {
                if (m_pre > 0 && ch != L'\r') Character(L' ');
                else if (m_anyText) m_spacePending = true;
                continue;
            }
            if (!IsControl(ch)) Character(ch);
        }
    }

    void Character(wchar_t ch) {
        FlushBreaks();
        if (m_lineEnds > 0 || !m_anyText) m_spacePending = false;  // no blank at the start of a line
        if (!m_bullet.empty()) {
            m_out += m_bullet;
            m_bullet.clear();
            m_spacePending = false;
        }
        if (m_spacePending) m_out += L' ';
        m_spacePending = false;
        for (Format& f : m_formats) {
            if (f.written || f.letter == 0) continue;
            m_out += L'<';
            m_out += f.letter;
            if (f.letter == L'a') m_out += L' ' + f.link;
            m_out += L'>';
            f.written = true;
        }
        AppendEscaped(ch, m_out);
        m_anyText = true;
        m_lineEnds = 0;
    }

    std::wstring m_out;
    std::vector<Format> m_formats;
    std::vector<int> m_lists;  // per open list: the next number, 0 for bullets
    std::wstring m_bullet;     // written before the item's first character
    int m_pendingBreaks = 0;
    int m_lineEnds = 0;        // line ends written since the last character
    int m_pre = 0;
    bool m_anyText = false;
    bool m_spacePending = false;
};

std::wstring PlainTextToMarkup(std::wstring_view notes) {
    std::wstring out;
    for (std::size_t i = 0; i < notes.size(); ++i) {
        const wchar_t ch = notes[i];
        if (ch == L'\r' || ch == L'\n') {
            if (ch == L'\r' && i + 1 < notes.size() && notes[i + 1] == L'\n') ++i;
            out += L"<n>";
        } else if (ch == L'\t') {
            out += L' ';
        } else if (!IsControl(ch)) {
            AppendEscaped(ch, out);
        }
    }
    return out;
}

}  // namespace

std::wstring ReleaseNotesToMarkup(std::wstring_view notes, bool plainText) {
    if (plainText) return PlainTextToMarkup(notes);
    return Reducer().Run(notes);
}
