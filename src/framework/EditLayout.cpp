// The edit's layout: lines (wrapped or not), character positions, hit testing, scrolling and
// the standard scroll bars' state.
#include "framework/Edit.h"

#include "framework/TextMeasure.h"
#include "platform/Utf8.h"
#include "platform/gdi/Dc.h"
#include "platform/gdi/Font.h"
#include "platform/gdi/Object.h"
#include "platform/user/ScrollBar.h"
#include "platform/user/User.h"

#include <algorithm>
#include <cctype>

namespace {
bool IsWordChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    return u >= 0x80 || std::isalnum(u) || c == '_';
}

int BreakLength(const String& s, size_t i) {
    if (i >= s.size()) return 0;
    if (s[i] == '\r') return i + 1 < s.size() && s[i + 1] == '\n' ? 2 : 1;
    return s[i] == '\n' ? 1 : 0;
}

} // namespace

void TCustomEdit::ResetFontCache() {
    widths_.clear();
    lineHeight_ = 0;
    layoutValid_ = false;
}

int TCustomEdit::CharWidth(unsigned cp) {
    if (passwordChar_) cp = static_cast<unsigned char>(passwordChar_);
    auto it = widths_.find(cp);
    if (it != widths_.end()) return it->second;
    TTextMeasure m(Font()->Handle());
    const String buf = utf8::Encode(cp);
    SIZE size{0, 0};
    if (m.DC()) GetTextExtentPoint32(m.DC(), buf.c_str(), int(buf.size()), &size);
    int w = std::max<int>(0, size.cx);
    widths_[cp] = w;
    return w;
}

int TCustomEdit::LineHeight() {
    if (lineHeight_ > 0) return lineHeight_;
    TTextMeasure m(Font()->Handle());
    TEXTMETRIC tm;
    if (m.DC() && GetTextMetrics(m.DC(), &tm)) lineHeight_ = tm.tmHeight;
    if (lineHeight_ <= 0) lineHeight_ = 13;
    return lineHeight_;
}

TRect TCustomEdit::TextRect() {
    if (rectSet_) return rect_;
    TRect r = ClientRect();
    r.left += 2;
    r.right -= 2;
    if (MultiLine()) {
        r.top += 1;
        r.bottom -= 1;
    }
    if (r.right < r.left) r.right = r.left;
    if (r.bottom < r.top) r.bottom = r.top;
    return r;
}

void TCustomEdit::MeasureLine(const Line& line, std::vector<int>& xs, std::vector<int>& offsets) {
    xs.clear();
    offsets.clear();
    const String& t = Text();
    int x = 0;
    int tab = std::max(1, CharWidth(' ') * 8);
    size_t i = static_cast<size_t>(line.start), end = static_cast<size_t>(line.start + line.length);
    while (i < end) {
        xs.push_back(x);
        offsets.push_back(static_cast<int>(i));
        const utf8::Decoded d = utf8::DecodeAt(t, i);
        const unsigned cp = d.codePoint;
        const size_t len = d.length;
        if (cp == '\t' && !passwordChar_)
            x = (x / tab + 1) * tab;
        else
            x += CharWidth(cp);
        i += len;
    }
    xs.push_back(x);
    offsets.push_back(static_cast<int>(end));
}

String TCustomEdit::DisplayText(const Line& line) {
    const String& t = Text();
    String out;
    size_t i = static_cast<size_t>(line.start), end = static_cast<size_t>(line.start + line.length);
    while (i < end) {
        const utf8::Decoded d = utf8::DecodeAt(t, i);
        const unsigned cp = d.codePoint;
        const size_t len = d.length;
        if (passwordChar_)
            out += passwordChar_;
        else if (cp == '\t' || (cp < 32 && len == 1))
            out += ' ';
        else
            out.append(t, i, len);
        i += len;
    }
    return out;
}

void TCustomEdit::EnsureLayout() {
    TRect r = TextRect();
    int width = r.right - r.left;
    bool wrap = MultiLine() && WrapsLines();
    if (layoutValid_ && (!wrap || width == layoutWidth_)) return;
    lines_.clear();
    const String& t = Text();
    int n = static_cast<int>(t.size());
    contentWidth_ = 0;
    std::vector<int> xs, offsets;
    if (!MultiLine()) {
        lines_.push_back(Line{0, n});
    } else {
        int start = 0;
        while (true) {
            int end = start;
            while (end < n && !BreakLength(t, static_cast<size_t>(end)))
                ++end;
            Line logical{start, end - start};
            if (wrap && width > 0) {
                MeasureLine(logical, xs, offsets);
                size_t first = 0; // index into offsets of the visual line's start
                while (true) {
                    size_t last = first;
                    int lastSpace = -1;
                    while (last + 1 < offsets.size() && xs[last + 1] - xs[first] <= width) {
                        if (t[static_cast<size_t>(offsets[last])] == ' ')
                            lastSpace = static_cast<int>(last);
                        ++last;
                    }
                    if (last + 1 >= offsets.size()) {
                        lines_.push_back(Line{offsets[first], offsets.back() - offsets[first]});
                        break;
                    }
                    // Break after the last blank that fits, else where the width runs out,
                    // taking at least one character; blanks there stay on this line.
                    size_t cut = lastSpace >= static_cast<int>(first)
                                     ? static_cast<size_t>(lastSpace) + 1
                                     : std::max(last, first + 1);
                    while (cut + 1 < offsets.size() && t[static_cast<size_t>(offsets[cut])] == ' ')
                        ++cut;
                    lines_.push_back(Line{offsets[first], offsets[cut] - offsets[first]});
                    first = cut;
                }
            } else {
                lines_.push_back(logical);
            }
            if (end >= n) break;
            start = end + BreakLength(t, static_cast<size_t>(end));
        }
    }
    if (!wrap) {
        for (const Line& l : lines_) {
            MeasureLine(l, xs, offsets);
            contentWidth_ = std::max(contentWidth_, xs.back());
        }
    }
    layoutValid_ = true;
    layoutWidth_ = width;
}

int TCustomEdit::LineCount() {
    EnsureLayout();
    return static_cast<int>(lines_.size());
}

int TCustomEdit::LineOfPos(int pos) {
    EnsureLayout();
    auto it = std::upper_bound(lines_.begin(), lines_.end(), pos,
                               [](int p, const Line& l) { return p < l.start; });
    int i = static_cast<int>(it - lines_.begin()) - 1;
    return std::clamp(i, 0, static_cast<int>(lines_.size()) - 1);
}

int TCustomEdit::XOfPos(int pos) {
    const Line& l = lines_[static_cast<size_t>(LineOfPos(pos))];
    std::vector<int> xs, offsets;
    MeasureLine(l, xs, offsets);
    for (size_t i = 0; i < offsets.size(); ++i)
        if (offsets[i] >= pos) return xs[i];
    return xs.back();
}

int TCustomEdit::PosInLineAtX(int line, int x) {
    EnsureLayout();
    line = std::clamp(line, 0, static_cast<int>(lines_.size()) - 1);
    std::vector<int> xs, offsets;
    MeasureLine(lines_[static_cast<size_t>(line)], xs, offsets);
    for (size_t i = 0; i + 1 < xs.size(); ++i)
        if (x < (xs[i] + xs[i + 1] + 1) / 2) return offsets[i];
    return offsets.back();
}

int TCustomEdit::PosAtPoint(int x, int y) {
    EnsureLayout();
    TRect r = TextRect();
    int lh = LineHeight();
    int line = 0;
    if (MultiLine()) {
        int rel = y - r.top;
        line = topLine_ + (rel < 0 ? -1 - (-rel - 1) / lh : rel / lh);
    }
    return PosInLineAtX(line, x - r.left + scrollX_);
}

int TCustomEdit::VisibleLines() {
    TRect r = TextRect();
    return std::max(1, (r.bottom - r.top) / LineHeight());
}

int TCustomEdit::ContentWidth() {
    EnsureLayout();
    return contentWidth_;
}

void TCustomEdit::ClampScroll() {
    EnsureLayout();
    int count = static_cast<int>(lines_.size());
    topLine_ = MultiLine() ? std::clamp(topLine_, 0, std::max(0, count - VisibleLines())) : 0;
    TRect r = TextRect();
    int width = r.right - r.left;
    if (MultiLine() && WrapsLines())
        scrollX_ = 0;
    else
        scrollX_ = std::clamp(scrollX_, 0, std::max(0, contentWidth_ + 1 - width));
}

void TCustomEdit::ScrollCaretIntoView() {
    EnsureLayout();
    if (MultiLine()) {
        int line = LineOfPos(caret_);
        int vis = VisibleLines();
        if (line < topLine_)
            topLine_ = line;
        else if (line >= topLine_ + vis)
            topLine_ = line - vis + 1;
    }
    if (!(MultiLine() && WrapsLines())) {
        TRect r = TextRect();
        int width = r.right - r.left;
        int x = XOfPos(caret_);
        if (x < scrollX_)
            scrollX_ = std::max(0, x - width / 3);
        else if (x >= scrollX_ + width)
            scrollX_ = x - width + 1 + width / 3;
    }
    ClampScroll();
    UpdateScrollBars();
}

void TCustomEdit::UpdateScrollBars() {
    if (!HandleAllocated() || !MultiLine()) return;
    EnsureLayout();
    HWND h = Handle();
    SCROLLINFO v;
    v.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    v.nMin = 0;
    v.nMax = static_cast<int>(lines_.size()) - 1;
    v.nPage = static_cast<UINT>(VisibleLines());
    v.nPos = topLine_;
    SetScrollInfo(h, SB_VERT, &v, TRUE);
    TRect r = TextRect();
    SCROLLINFO hs;
    hs.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    hs.nMin = 0;
    hs.nPage = static_cast<UINT>(std::max(1, r.right - r.left));
    hs.nMax = WrapsLines() ? 0 : contentWidth_;
    hs.nPos = scrollX_;
    SetScrollInfo(h, SB_HORZ, &hs, TRUE);
}

void TCustomEdit::TextLayoutChanged() {
    layoutValid_ = false;
    EnsureLayout();
    anchor_ = std::clamp(anchor_, 0, static_cast<int>(Text().size()));
    caret_ = std::clamp(caret_, 0, static_cast<int>(Text().size()));
    ScrollCaretIntoView();
    Invalidate();
}

void TCustomEdit::ScrollLines(int delta) {
    if (!MultiLine()) return;
    topLine_ += delta;
    ClampScroll();
    UpdateScrollBars();
    Invalidate();
}

void TCustomEdit::ScrollVert(WORD code, int pos) {
    if (!MultiLine()) return;
    int vis = VisibleLines();
    switch (code) {
    case SB_LINEUP:
        topLine_ -= 1;
        break;
    case SB_LINEDOWN:
        topLine_ += 1;
        break;
    case SB_PAGEUP:
        topLine_ -= vis;
        break;
    case SB_PAGEDOWN:
        topLine_ += vis;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        topLine_ = pos;
        break;
    case SB_TOP:
        topLine_ = 0;
        break;
    case SB_BOTTOM:
        topLine_ = LineCount();
        break;
    default:
        return;
    }
    ClampScroll();
    UpdateScrollBars();
    Invalidate();
}

void TCustomEdit::ScrollHorz(WORD code, int pos) {
    TRect r = TextRect();
    int page = std::max(1, r.right - r.left);
    int step = std::max(1, CharWidth('x'));
    switch (code) {
    case SB_LINELEFT:
        scrollX_ -= step;
        break;
    case SB_LINERIGHT:
        scrollX_ += step;
        break;
    case SB_PAGELEFT:
        scrollX_ -= page;
        break;
    case SB_PAGERIGHT:
        scrollX_ += page;
        break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK:
        scrollX_ = pos;
        break;
    case SB_LEFT:
        scrollX_ = 0;
        break;
    case SB_RIGHT:
        scrollX_ = ContentWidth();
        break;
    default:
        return;
    }
    ClampScroll();
    UpdateScrollBars();
    Invalidate();
}

int TCustomEdit::NextPos(int pos) const {
    const String& t = Text();
    int n = static_cast<int>(t.size());
    if (pos >= n) return n;
    if (int b = BreakLength(t, static_cast<size_t>(pos))) return pos + b;
    return static_cast<int>(utf8::Next(t, static_cast<size_t>(pos)));
}

int TCustomEdit::PrevPos(int pos) const {
    const String& t = Text();
    if (pos <= 0) return 0;
    pos = std::min(pos, static_cast<int>(t.size()));
    if (pos >= 2 && t[static_cast<size_t>(pos) - 1] == '\n' &&
        t[static_cast<size_t>(pos) - 2] == '\r')
        return pos - 2;
    return static_cast<int>(utf8::Previous(t, static_cast<size_t>(pos)));
}

int TCustomEdit::WordStart(int pos) {
    const String& t = Text();
    int p = PrevPos(pos);
    while (p > 0 && !IsWordChar(t[static_cast<size_t>(p)]))
        p = PrevPos(p);
    while (p > 0 && IsWordChar(t[static_cast<size_t>(PrevPos(p))]))
        p = PrevPos(p);
    return p;
}

int TCustomEdit::WordEnd(int pos) {
    const String& t = Text();
    int n = static_cast<int>(t.size());
    int p = pos;
    while (p < n && IsWordChar(t[static_cast<size_t>(p)]))
        p = NextPos(p);
    while (p < n && t[static_cast<size_t>(p)] == ' ')
        p = NextPos(p);
    if (p == pos && p < n) p = NextPos(p);
    return p;
}
