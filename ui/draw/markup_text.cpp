// CGdiPainter::DrawMarkupText: lays out and draws text written in the tag language of
// markup_tokenizer.h. Each line is laid out twice when drawing: a measuring pass finds the
// line's height and records the link rectangles, then a drawing pass from the same starting
// state puts every run with its bottom on the line's bottom.

#include <cstring>

#include "ui/core/window_host.h"
#include "ui/draw/color_convert.h"
#include "ui/draw/gdi_objects.h"
#include "ui/draw/gdi_painter.h"
#include "ui/draw/markup_tokenizer.h"

namespace {

// Tags nested deeper than this still balance (a counter tracks them) but change nothing.
constexpr int kMaxDepth = 64;

template <typename T>
class CBoundedStack {
public:
    void Push(T value) {
        if (m_count < kMaxDepth && m_overflow == 0) {
            m_items[m_count++] = value;
        } else {
            ++m_overflow;
        }
    }
    // Popping an empty stack is ignored.
    void Pop() {
        if (m_overflow > 0) {
            --m_overflow;
        } else if (m_count > 0) {
            --m_count;
        }
    }
    bool IsEmpty() const { return m_count == 0; }
    T Top(T fallback) const { return m_count > 0 ? m_items[m_count - 1] : fallback; }
    T Below(T fallback) const { return m_count > 1 ? m_items[m_count - 2] : fallback; }

private:
    T m_items[kMaxDepth];
    int m_count = 0;
    int m_overflow = 0;
};

// Everything a line starts from; copied so that the drawing pass repeats the measuring pass.
struct LayoutState {
    const wchar_t* pos = nullptr;
    CBoundedStack<HFONT> fonts;
    CBoundedStack<DWORD> colors;
    CBoundedStack<int> paragraphs;
    bool raw = false;
    bool selected = false;
    int linkCount = 0;  // links started so far
    int openLink = -1;  // slot of the open link, -1: none or no slot
    bool linkOpen = false;
    const wchar_t* linkText = nullptr;
    int linkTextLength = 0;
    POINT linkStart = {0, 0};
};

enum class Pass { Measure, Draw };

enum class LineEnd { Break, EndOfText, Stop };

class CMarkupLayout {
public:
    CMarkupLayout(HDC dc, CWindowHostUI* host, const RECT& rc, DWORD color, UINT style)
        : m_dc(dc),
          m_host(host),
          m_rc(rc),
          m_color(color),
          m_style(style),
          m_single((style & DT_SINGLELINE) != 0),
          m_measuring((style & DT_CALCRECT) != 0) {
        m_defaultFont = host->DefaultFontInfo().font;
        m_rightmost = rc.left;
        m_lowestImage = rc.top;
    }

    void SetLinks(RECT* rects, CWideString* texts, int capacity) {
        m_linkRects = rects;
        m_linkTexts = texts;
        m_linkCapacity = rects && texts && capacity > 0 ? capacity : 0;
    }
    void SetHoverText(const CWideString& text) { m_hover = text; }
    int LinksLaidOut() const {
        return m_state.linkCount < m_linkCapacity ? m_state.linkCount : m_linkCapacity;
    }

    // Lays out (and unless measuring, draws) the text; returns the measured extent.
    RECT Run(const wchar_t* text) {
        m_state.pos = text;
        int y = m_rc.top;
        int height = LineHeightOf(m_defaultFont);
        int lastTop = y, lastHeight = height;
        while (m_rc.right > m_rc.left) {
            if (!m_measuring && y >= m_rc.bottom) break;
            LayoutState start = m_state;
            int lineHeight = height;
            LineEnd end = LayoutLine(m_state, y, lineHeight, Pass::Measure);
            if (!m_measuring) {
                LayoutState again = start;
                int drawnHeight = lineHeight;
                LayoutLine(again, y, drawnHeight, Pass::Draw);
            }
            lastTop = y;
            lastHeight = lineHeight;
            if (end != LineEnd::Break || m_single) break;
            y += lineHeight;
            height = LineHeightOf(CurrentFont(m_state)) + m_state.paragraphs.Top(0);
            ContinueOpenLink(y);
        }
        RECT extent = m_rc;
        extent.bottom = lastTop + lastHeight > m_lowestImage ? lastTop + lastHeight : m_lowestImage;
        extent.right = m_rightmost < m_rc.right ? m_rightmost : m_rc.right;
        return extent;
    }

private:
    // ---- Fonts ----
    HFONT CurrentFont(const LayoutState& st) const { return st.fonts.Top(m_defaultFont); }

    const TEXTMETRICW& MetricsOf(HFONT font) {
        for (int i = 0; i < m_metricsCount; ++i) {
            if (m_metricsFonts[i] == font) return m_metrics[i];
        }
        TEXTMETRICW metrics = m_host->FontInfoOf(font).metrics;
        if (metrics.tmHeight == 0) {
            // The host has no window DC to measure with yet: measure on the target.
            CSelectScope select(m_dc, font);
            GetTextMetricsW(m_dc, &metrics);
        }
        int slot = m_metricsCount < kMetricsCache ? m_metricsCount++ : kMetricsCache - 1;
        m_metricsFonts[slot] = font;
        m_metrics[slot] = metrics;
        return m_metrics[slot];
    }

    int LineHeightOf(HFONT font) {
        const TEXTMETRICW& m = MetricsOf(font);
        return m.tmHeight + m.tmExternalLeading;
    }

    enum class Variant { Bold, Italic, Underline };

    HFONT VariantOf(HFONT font, Variant variant) {
        const FontRecord& base = m_host->FontInfoOf(font);
        bool bold = base.bold || variant == Variant::Bold;
        bool italic = base.italic || variant == Variant::Italic;
        bool underline = base.underline || variant == Variant::Underline;
        return FindOrAddFont(base.faceName, base.size, bold, underline, italic, font);
    }

    HFONT FindOrAddFont(const wchar_t* face, int size, bool bold, bool underline, bool italic,
                        HFONT fallback) {
        HFONT found = m_host->FindFont(face, size, bold, underline, italic);
        if (found == nullptr) {
            found = m_host->AddCustomFont(face, size, bold, underline, italic);
        }
        return found ? found : fallback;
    }

    HFONT FontFromTag(const CWideString& argument, HFONT current) {
        MarkupFontArgs args = ParseMarkupFont(argument);
        if (args.byIndex) {
            return m_host->FontAt(args.index);
        }
        if (args.face.IsEmpty()) {
            return current;
        }
        return FindOrAddFont(args.face, args.size, args.bold, args.underline, args.italic, current);
    }

    void SelectCurrent(const LayoutState& st) { SelectObject(m_dc, CurrentFont(st)); }

    // ---- Lines ----
    LineEnd LayoutLine(LayoutState& st, int top, int& height, Pass pass) {
        // A link continued from the line before has the newest slot.
        int firstLink = st.linkOpen ? st.linkCount - 1 : st.linkCount;
        Line line{top, height, m_rc.left, false, pass, height, firstLink};
        SelectCurrent(st);
        LineEnd end = LineEnd::Break;
        while (true) {
            if (*st.pos == L'\0') {
                end = LineEnd::EndOfText;
                break;
            }
            if (line.hasContent && line.x >= m_rc.right) break;
            Step step = StepOnce(st, line);
            if (step == Step::Break) break;
            if (step == Step::Stop) {
                end = LineEnd::Stop;
                break;
            }
        }
        FinishLinks(st, line);
        if (pass == Pass::Measure) height = line.height;
        return end;
    }

    struct Line {
        int top;
        int height;
        int x;
        bool hasContent;
        Pass pass;
        int startHeight;  // the same in both passes, so decisions taken from it agree
        int firstLink;
    };

    enum class Step { Continue, Break, Stop };

    Step StepOnce(LayoutState& st, Line& line) {
        MarkupToken token = NextMarkupToken(st.pos, st.raw);
        switch (token.kind) {
            case MarkupTokenKind::Newline: st.pos = token.next; return Step::Break;
            case MarkupTokenKind::Text:
            case MarkupTokenKind::Escape: return PlaceRun(st, line, token);
            case MarkupTokenKind::OpenTag: return OpenTag(st, line, token);
            case MarkupTokenKind::CloseTag: st.pos = token.next; return CloseTag(st, line, token.letter);
            case MarkupTokenKind::End: break;
        }
        return Step::Stop;
    }

    // ---- Text runs ----
    static bool IsAsciiLetter(wchar_t ch) { return (ch >= L'a' && ch <= L'z') || (ch >= L'A' && ch <= L'Z'); }

    Step PlaceRun(LayoutState& st, Line& line, const MarkupToken& token) {
        const bool escape = token.kind == MarkupTokenKind::Escape;
        int length = token.length;
        if (length == 0) {
            st.pos = token.next;
            return Step::Continue;
        }
        if (!escape && token.text[0] == L' ' && length > 1) {
            length = 1;  // a leading space is measured and drawn by itself
        }
        SIZE size = {0, 0};
        GetTextExtentPoint32W(m_dc, token.text, length, &size);
        int available = m_rc.right - line.x;
        if (size.cx <= available) {
            DrawRun(st, line, token.text, length, size.cx, false);
            st.pos = escape ? token.next : token.text + length;
            return Step::Continue;
        }
        int fit = FitCount(token.text, length, available);
        if (fit == 0 && !line.hasContent && line.x == m_rc.left) {
            fit = 1;  // a line always takes at least one character
        }
        if ((m_style & DT_WORDBREAK) && !m_single && fit > 0 && fit < length) {
            int cut = fit;
            while (cut > 0 && IsAsciiLetter(token.text[cut - 1])) --cut;
            if (cut > 0) {
                fit = cut;
            } else if (line.hasContent) {
                fit = 0;  // the whole word moves to the next line
            }
        }
        bool ellipsis = (m_style & DT_END_ELLIPSIS) && IsLastLine(line);
        if (ellipsis) {
            fit = FitWithEllipsis(token.text, fit, available);
        }
        if (fit > 0) {
            GetTextExtentPoint32W(m_dc, token.text, fit, &size);
            DrawRun(st, line, token.text, fit, size.cx, ellipsis);
            st.pos = escape ? token.next : token.text + fit;
        } else if (ellipsis) {
            DrawRun(st, line, token.text, 0, 0, true);
        }
        return ellipsis ? Step::Stop : Step::Break;
    }

    bool IsLastLine(const Line& line) const {
        return m_single || line.top + 2 * line.startHeight > m_rc.bottom;
    }

    int FitCount(const wchar_t* text, int length, int available) {
        if (available <= 0) return 0;
        INT fit = 0;
        SIZE size;
        GetTextExtentExPointW(m_dc, text, length, available, &fit, nullptr, &size);
        return fit < 0 ? 0 : (fit > length ? length : fit);
    }

    int FitWithEllipsis(const wchar_t* text, int fit, int available) {
        SIZE dots = {0, 0};
        GetTextExtentPoint32W(m_dc, L"...", 3, &dots);
        return FitCount(text, fit, available - dots.cx);
    }

    void DrawRun(const LayoutState& st, Line& line, const wchar_t* text, int length, int width,
                 bool ellipsis) {
        int x = line.x;
        if (!m_single && (m_style & DT_RIGHT)) {
            x += (m_rc.right - m_rc.left) - width;
        } else if (!m_single && (m_style & DT_CENTER)) {
            x += ((m_rc.right - m_rc.left) - width) / 2;
        }
        const TEXTMETRICW& m = MetricsOf(CurrentFont(st));
        if (line.pass == Pass::Measure) {
            int needed = m.tmHeight + m.tmExternalLeading + st.paragraphs.Top(0);
            line.height = needed > line.height ? needed : line.height;
        } else {
            int top = line.top + line.height - m.tmHeight - m.tmExternalLeading;
            SetTextColor(m_dc, ToColorRef(st.colors.Top(m_color)));
            SetBkMode(m_dc, st.selected ? OPAQUE : TRANSPARENT);
            TextOutW(m_dc, x, top, text, length);
            if (ellipsis) {
                SIZE size;
                GetTextExtentPoint32W(m_dc, text, length, &size);
                TextOutW(m_dc, x + size.cx, top, L"...", 3);
            }
        }
        line.x += width;
        line.hasContent = line.hasContent || length > 0;
        m_rightmost = line.x > m_rightmost ? line.x : m_rightmost;
    }

    // ---- Tags ----
    Step OpenTag(LayoutState& st, Line& line, const MarkupToken& token) {
        CWideString argument(token.text, token.length);
        HFONT current = CurrentFont(st);
        switch (token.letter) {
            case L'a': OpenLink(st, line, token, current); break;
            case L'b': PushFont(st, VariantOf(current, Variant::Bold)); break;
            case L'u': PushFont(st, VariantOf(current, Variant::Underline)); break;
            case L'c': st.colors.Push(ParseMarkupColor(argument)); break;
            case L'f': PushFont(st, FontFromTag(argument, current)); break;
            case L'i': {
                MarkupImageArgs image = ParseMarkupImage(argument);
                if (image.name.IsEmpty()) {
                    PushFont(st, VariantOf(current, Variant::Italic));
                    break;
                }
                return PlaceImage(st, line, token, image);
            }
            case L'n': st.pos = token.next; return m_single ? Step::Continue : Step::Break;
            case L'p':
                st.paragraphs.Push(static_cast<int>(wcstol(argument, nullptr, 10)));
                st.pos = token.next;
                return line.hasContent ? Step::Break : Step::Continue;
            case L'r': st.raw = true; break;
            case L's': st.selected = true; break;
            case L'x': line.x += static_cast<int>(wcstol(argument, nullptr, 10)); break;
            case L'y':
                if (line.pass == Pass::Measure) line.height = static_cast<int>(wcstol(argument, nullptr, 10));
                break;
            default: break;
        }
        st.pos = token.next;
        return Step::Continue;
    }

    Step CloseTag(LayoutState& st, Line& line, wchar_t letter) {
        switch (letter) {
            case L'a':
                CloseLink(st, line);
                st.colors.Pop();
                PopFont(st);
                break;
            case L'i': {
                HFONT italic = CurrentFont(st);
                if (MetricsOf(italic).tmItalic && !MetricsOf(st.fonts.Below(m_defaultFont)).tmItalic) {
                    ABC abc = {0, 0, 0};
                    if (GetCharABCWidthsW(m_dc, L' ', L' ', &abc)) line.x += abc.abcC / 2;
                }
                PopFont(st);
                break;
            }
            case L'b':
            case L'f':
            case L'u': PopFont(st); break;
            case L'c': st.colors.Pop(); break;
            case L'p': st.paragraphs.Pop(); return line.hasContent ? Step::Break : Step::Continue;
            case L'r': st.raw = false; break;
            case L's': st.selected = false; break;
            default: break;
        }
        return Step::Continue;
    }

    void PushFont(LayoutState& st, HFONT font) {
        st.fonts.Push(font);
        SelectCurrent(st);
    }

    void PopFont(LayoutState& st) {
        st.fonts.Pop();
        SelectCurrent(st);
    }

    // ---- Links ----
    bool IsMeasuring(const Line& line) const { return line.pass == Pass::Measure; }

    void OpenLink(LayoutState& st, const Line& line, const MarkupToken& token, HFONT current) {
        st.linkOpen = true;
        st.linkText = token.text;
        st.linkTextLength = token.length;
        st.linkStart = POINT{line.x, line.top};
        StartLinkSlot(st, line);
        CWideString text(token.text, token.length);
        bool hover = !m_hover.IsEmpty() && m_hover == text;
        st.colors.Push(hover ? m_host->LinkHoverFontColor() : m_host->LinkFontColor());
        PushFont(st, VariantOf(current, Variant::Underline));
    }

    void StartLinkSlot(LayoutState& st, const Line& line) {
        st.openLink = st.linkCount < m_linkCapacity ? st.linkCount : -1;
        ++st.linkCount;
        if (st.openLink >= 0 && IsMeasuring(line)) {
            m_linkTexts[st.openLink].Assign(st.linkText, st.linkTextLength);
        }
    }

    void CloseLink(LayoutState& st, const Line& line) {
        if (!st.linkOpen) return;
        st.linkOpen = false;
        if (st.openLink >= 0 && IsMeasuring(line)) {
            const TEXTMETRICW& m = MetricsOf(CurrentFont(st));
            m_linkRects[st.openLink] =
                RECT{st.linkStart.x, st.linkStart.y, line.x, line.top + m.tmHeight + m.tmExternalLeading};
        }
    }

    // Every link recorded on the line reaches down to the line's bottom; one still open is
    // recorded up to the pen and continues on the next line.
    void FinishLinks(LayoutState& st, const Line& line) {
        if (!IsMeasuring(line)) return;
        if (st.linkOpen && st.openLink >= 0) {
            LONG right = line.x < m_rc.right ? line.x : m_rc.right;
            m_linkRects[st.openLink] = RECT{st.linkStart.x, st.linkStart.y, right, line.top};
        }
        for (int i = line.firstLink < 0 ? 0 : line.firstLink; i < st.linkCount && i < m_linkCapacity; ++i) {
            m_linkRects[i].bottom = line.top + line.height;
        }
    }

    void ContinueOpenLink(int nextTop) {
        if (!m_state.linkOpen) return;
        m_state.linkStart = POINT{m_rc.left, nextTop};
        Line next{nextTop, 0, m_rc.left, false, Pass::Measure, 0, 0};
        StartLinkSlot(m_state, next);
    }

    // ---- Inline images ----
    Step PlaceImage(LayoutState& st, Line& line, const MarkupToken& token, const MarkupImageArgs& args) {
        const wchar_t* type = args.resourceType.IsEmpty() ? nullptr : args.resourceType.GetData();
        LoadedImage* image = m_host->ImageFor(args.name, type, 0);
        int cell = image ? image->width / args.count : 0;
        if (cell <= 0 || image->height <= 0) {
            st.pos = token.next;
            return Step::Continue;
        }
        if (line.x + cell > m_rc.right && line.x != m_rc.left && !m_single) {
            return Step::Break;  // the tag is read again at the start of the next line
        }
        int h = image->height;
        if (line.pass == Pass::Measure) {
            line.height = h > line.height ? h : line.height;
            m_lowestImage = line.top + h > m_lowestImage ? line.top + h : m_lowestImage;
        } else {
            int top = h < line.height ? line.top + (line.height - h) / 2 : line.top + line.height - h;
            RECT dest = {line.x, top, line.x + cell, top + h};
            RECT source = {args.index * cell, 0, (args.index + 1) * cell, h};
            RECT noCorners = {0, 0, 0, 0};
            CGdiPainter::DrawImageGrid(m_dc, image->bitmap, dest, m_rc, source, noCorners, image->hasAlpha,
                                       255, false, false, false);
        }
        line.x += cell;
        line.hasContent = true;
        m_rightmost = line.x > m_rightmost ? line.x : m_rightmost;
        st.pos = token.next;
        return Step::Continue;
    }

    static constexpr int kMetricsCache = 16;

    HDC m_dc;
    CWindowHostUI* m_host;
    RECT m_rc;
    DWORD m_color;
    UINT m_style;
    bool m_single;
    bool m_measuring;
    HFONT m_defaultFont = nullptr;
    LayoutState m_state;
    RECT* m_linkRects = nullptr;
    CWideString* m_linkTexts = nullptr;
    int m_linkCapacity = 0;
    CWideString m_hover;
    int m_rightmost = 0;
    int m_lowestImage = 0;
    HFONT m_metricsFonts[kMetricsCache] = {};
    TEXTMETRICW m_metrics[kMetricsCache] = {};
    int m_metricsCount = 0;
};

// The text of the first link rectangle of the previous paint that holds the mouse.
CWideString HoverLinkText(CWindowHostUI* host, const RECT* rects, const CWideString* texts, int capacity) {
    if (rects == nullptr || texts == nullptr) return CWideString();
    POINT mouse = host->LastMousePoint();
    for (int i = 0; i < capacity; ++i) {
        if (PtInRect(&rects[i], mouse)) return texts[i];
    }
    return CWideString();
}

// Narrows the rectangle to the measured text for the alignments that need its size.
void AlignToMeasuredText(HDC dc, CWindowHostUI* host, RECT& rc, const wchar_t* text, DWORD color,
                         UINT style) {
    if (!(style & (DT_CENTER | DT_RIGHT | DT_VCENTER | DT_BOTTOM))) return;
    RECT box = {0, 0, 9999, 100};
    int none = 0;
    CGdiPainter::DrawMarkupText(dc, host, box, text, color, nullptr, nullptr, none, style | DT_CALCRECT);
    int w = box.right - box.left, h = box.bottom - box.top;
    if (style & DT_SINGLELINE) {
        if (style & DT_CENTER) {
            rc.left = rc.left + (rc.right - rc.left) / 2 - w / 2;
            rc.right = rc.left + w;
        } else if (style & DT_RIGHT) {
            rc.left = rc.right - w;
        }
    }
    if (style & DT_VCENTER) {
        rc.top = rc.top + (rc.bottom - rc.top) / 2 - h / 2;
        rc.bottom = rc.top + h;
    } else if (style & DT_BOTTOM) {
        rc.top = rc.bottom - h;
    }
}

// Text colour, background colour and mode of the DC, given back at the end of a call.
class CTextStateScope {
public:
    CTextStateScope(HDC dc, COLORREF text, COLORREF background)
        : m_dc(dc),
          m_text(SetTextColor(dc, text)),
          m_background(SetBkColor(dc, background)),
          m_mode(SetBkMode(dc, TRANSPARENT)) {}
    ~CTextStateScope() {
        SetTextColor(m_dc, m_text);
        SetBkColor(m_dc, m_background);
        SetBkMode(m_dc, m_mode);
    }
    CTextStateScope(const CTextStateScope&) = delete;
    CTextStateScope& operator=(const CTextStateScope&) = delete;

private:
    HDC m_dc;
    COLORREF m_text;
    COLORREF m_background;
    int m_mode;
};

}  // namespace

void CGdiPainter::DrawMarkupText(HDC dc, CWindowHostUI* host, RECT& rc, const wchar_t* text, DWORD argb,
                                 RECT* linkRects, CWideString* linkTexts, int& linkCount, UINT style) {
    if (dc == nullptr || host == nullptr || text == nullptr || IsRectEmpty(&rc)) {
        linkCount = 0;
        return;
    }
    const bool measuring = (style & DT_CALCRECT) != 0;
    RECT area = rc;
    if (!measuring) {
        AlignToMeasuredText(dc, host, area, text, argb, style);
    }
    const int capacity = linkCount;
    // The whole layout runs with the default font selected first and every font given back.
    CSelectScope font(dc, host->DefaultFontInfo().font);
    CTextStateScope textState(dc, ToColorRef(argb), ToColorRef(host->SelectedColor()));
    CMarkupLayout layout(dc, host, area, argb, style);
    layout.SetLinks(linkRects, linkTexts, capacity);
    layout.SetHoverText(HoverLinkText(host, linkRects, linkTexts, capacity));
    RECT extent;
    if (measuring) {
        extent = layout.Run(text);
        rc.bottom = extent.bottom;
        rc.right = extent.right;
    } else {
        CClipScope clip(dc, rc);
        layout.Run(text);
    }
    linkCount = layout.LinksLaidOut();
}
