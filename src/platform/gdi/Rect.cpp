#include "platform/gdi/Rect.h"

#include <algorithm>

BOOL SetRect(RECT* rect, int left, int top, int right, int bottom) {
    if (!rect) return FALSE;
    *rect = RECT{left, top, right, bottom};
    return TRUE;
}

BOOL SetRectEmpty(RECT* rect) {
    return SetRect(rect, 0, 0, 0, 0);
}

BOOL CopyRect(RECT* dest, const RECT* src) {
    if (!dest || !src) return FALSE;
    *dest = *src;
    return TRUE;
}

BOOL IsRectEmpty(const RECT* r) {
    return !r || r->right <= r->left || r->bottom <= r->top ? TRUE : FALSE;
}

BOOL EqualRect(const RECT* a, const RECT* b) {
    return a && b && *a == *b ? TRUE : FALSE;
}

BOOL PtInRect(const RECT* r, POINT p) {
    return r && p.x >= r->left && p.x < r->right && p.y >= r->top && p.y < r->bottom ? TRUE : FALSE;
}

BOOL OffsetRect(RECT* r, int dx, int dy) {
    if (!r) return FALSE;
    r->left += dx;
    r->right += dx;
    r->top += dy;
    r->bottom += dy;
    return TRUE;
}

BOOL InflateRect(RECT* r, int dx, int dy) {
    if (!r) return FALSE;
    r->left -= dx;
    r->right += dx;
    r->top -= dy;
    r->bottom += dy;
    return TRUE;
}

BOOL IntersectRect(RECT* dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
           std::min(a->bottom, b->bottom)};
    if (IsRectEmpty(&r)) {
        *dest = RECT{};
        return FALSE;
    }
    *dest = r;
    return TRUE;
}

BOOL UnionRect(RECT* dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    if (IsRectEmpty(a)) {
        *dest = IsRectEmpty(b) ? RECT{} : *b;
    } else if (IsRectEmpty(b)) {
        *dest = *a;
    } else {
        *dest = RECT{std::min(a->left, b->left), std::min(a->top, b->top),
                     std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
    }
    return IsRectEmpty(dest) ? FALSE : TRUE;
}

BOOL SubtractRect(RECT* dest, const RECT* a, const RECT* b) {
    if (!dest || !a || !b) return FALSE;
    RECT r = *a;
    RECT i;
    if (IntersectRect(&i, a, b)) {
        // Only a cut that takes a whole side off leaves a rectangle.
        if (i.top == r.top && i.bottom == r.bottom) {
            if (i.left == r.left)
                r.left = i.right;
            else if (i.right == r.right)
                r.right = i.left;
        } else if (i.left == r.left && i.right == r.right) {
            if (i.top == r.top)
                r.top = i.bottom;
            else if (i.bottom == r.bottom)
                r.bottom = i.top;
        }
    }
    *dest = r;
    return IsRectEmpty(&r) ? FALSE : TRUE;
}
