// Text on a DC: TextOut, ExtTextOut, DrawText and the measurements. Lines
// are laid out here with the font's own height and widths, as GDI lays
// them out; Pango shapes and draws each line.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "device_context.h"
#include "font_face.h"

using namespace helm::gdi;

namespace {

// Text passed with a count of -1 ends at its NUL; other counts are taken as
// given (as on Windows), negative ones as empty.
std::string_view text_of(LPCSTR text, int count)
{
    if (!text)
        return {};
    if (count == -1)
        return std::string_view(text);
    if (count < 0)
        return {};
    return std::string_view(text, static_cast<size_t>(count));
}

struct Line {
    std::string text;
    int underline_at = -1;  // byte index of the mnemonic, or -1
    int width = 0;
};

// Removes mnemonic ampersands: "&&" is one '&', "&x" underlines x.
std::string strip_prefix(std::string_view text, UINT format, int& underline_at)
{
    std::string out;
    underline_at = -1;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && !(format & DT_NOPREFIX)) {
            if (i + 1 < text.size() && text[i + 1] == '&') {
                out += '&';
                ++i;
                continue;
            }
            if (i + 1 < text.size() && !(format & DT_HIDEPREFIX))
                underline_at = static_cast<int>(out.size());
            continue;
        }
        out += text[i];
    }
    return out;
}

std::string expand_tabs(std::string_view text, const FontFace& face)
{
    std::string out;
    int stop = std::max(1, face.average_width() * 8);
    for (char c : text) {
        if (c != '\t') {
            out += c;
            continue;
        }
        int width = face.width(out);
        int target = (width / stop + 1) * stop;
        do {
            out += ' ';
        } while (face.width(out) < target && out.size() < 4096);
    }
    return out;
}

// Cuts `text` so that it and an ellipsis fit in `width`.
std::string end_ellipsis(const std::string& text, const FontFace& face, int width, bool by_word)
{
    static constexpr char kDots[] = "...";
    if (face.width(text) <= width)
        return text;
    size_t lo = 0;
    size_t hi = text.size();
    while (lo < hi) {
        size_t mid = (lo + hi + 1) / 2;
        if (face.width(text.substr(0, mid) + kDots) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    std::string head = text.substr(0, lo);
    if (by_word) {
        size_t space = head.find_last_of(' ');
        if (space != std::string::npos && space > 0)
            head.resize(space);
    }
    return head + kDots;
}

// Keeps the end of a path: "C:\...\dir\file.txt".
std::string path_ellipsis(const std::string& text, const FontFace& face, int width)
{
    if (face.width(text) <= width)
        return text;
    size_t slash = text.find_last_of("\\/");
    if (slash == std::string::npos)
        return end_ellipsis(text, face, width, false);
    std::string tail = text.substr(slash);
    std::string head = text.substr(0, slash);
    while (!head.empty() && face.width(head + "..." + tail) > width)
        head.pop_back();
    return head + "..." + tail;
}

std::vector<Line> lay_out(std::string_view text, UINT format, const FontFace& face, int width)
{
    std::vector<std::string> paragraphs;
    if (format & DT_SINGLELINE) {
        std::string one;
        for (char c : text)
            if (c != '\r' && c != '\n')
                one += c;
        paragraphs.push_back(one);
    } else {
        std::string current;
        for (size_t i = 0; i < text.size(); ++i) {
            char c = text[i];
            if (c == '\r' || c == '\n') {
                paragraphs.push_back(current);
                current.clear();
                if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                    ++i;
            } else {
                current += c;
            }
        }
        paragraphs.push_back(current);
    }

    std::vector<Line> lines;
    for (std::string& paragraph : paragraphs) {
        int mnemonic = -1;
        std::string plain = strip_prefix(paragraph, format, mnemonic);
        if (format & DT_EXPANDTABS)
            plain = expand_tabs(plain, face);
        bool wrap = (format & DT_WORDBREAK) && !(format & DT_SINGLELINE) && width > 0;
        if (!wrap || face.width(plain) <= width) {
            lines.push_back(Line{plain, mnemonic, 0});
            continue;
        }
        // Words go on while they fit; a word wider than the rectangle stands
        // alone on its line (cut only for edit controls).
        size_t start = 0;
        while (start < plain.size()) {
            size_t end = start;
            size_t best = std::string::npos;
            while (end <= plain.size()) {
                size_t next = plain.find(' ', end);
                size_t candidate = next == std::string::npos ? plain.size() : next;
                if (face.width(std::string_view(plain).substr(start, candidate - start)) > width)
                    break;
                best = candidate;
                if (next == std::string::npos)
                    break;
                end = next + 1;
            }
            if (best == std::string::npos) {
                size_t next = plain.find(' ', start);
                best = next == std::string::npos ? plain.size() : next;
                if (format & DT_EDITCONTROL) {
                    best = start + 1;
                    while (best < plain.size() &&
                           face.width(std::string_view(plain).substr(start, best + 1 - start)) <= width)
                        ++best;
                }
            }
            Line line{plain.substr(start, best - start), -1, 0};
            if (mnemonic >= static_cast<int>(start) && mnemonic < static_cast<int>(best))
                line.underline_at = mnemonic - static_cast<int>(start);
            lines.push_back(line);
            start = best;
            while (start < plain.size() && plain[start] == ' ')
                ++start;
        }
        if (plain.empty())
            lines.push_back(Line{});
    }
    for (Line& line : lines) {
        if (format & (DT_END_ELLIPSIS | DT_WORD_ELLIPSIS | DT_PATH_ELLIPSIS)) {
            std::string cut = (format & DT_PATH_ELLIPSIS)
                                  ? path_ellipsis(line.text, face, width)
                                  : end_ellipsis(line.text, face, width, (format & DT_WORD_ELLIPSIS) != 0);
            if (cut != line.text) {
                line.text = cut;
                line.underline_at = -1;
            }
        }
        line.width = face.width(line.text);
    }
    return lines;
}

void fill_background(cairo_t* cr, COLORREF colour, double x, double y, double w, double h)
{
    cairo_set_source_rgb(cr, GetRValue(colour) / 255.0, GetGValue(colour) / 255.0, GetBValue(colour) / 255.0);
    cairo_rectangle(cr, x, y, w, h);
    cairo_fill(cr);
}

void set_text_source(Painter& painter, COLORREF colour)
{
    painter.set_colour(colour);
    // Text is smoothed by its font's own setting, not the shapes' aliasing.
    cairo_set_antialias(painter.cr(), CAIRO_ANTIALIAS_DEFAULT);
}

}  // namespace

BOOL ExtTextOut(HDC handle, int x, int y, UINT options, const RECT* rect, LPCSTR text, UINT count, const INT* dx)
{
    auto dc = find_dc(handle);
    if (!dc)
        return FALSE;
    std::string_view line = text ? std::string_view(text, count) : std::string_view();
    const FontFace& face = *dc->state.font->face;
    UINT align = dc->state.text_align;
    if (align & TA_UPDATECP) {
        x = dc->state.position.x;
        y = dc->state.position.y;
    }
    int width = 0;
    if (dx) {
        for (UINT i = 0; i < count; ++i)
            width += dx[i];
    } else {
        width = face.width(line);
    }
    int left = x;
    if ((align & TA_CENTER) == TA_CENTER)
        left = x - width / 2;
    else if (align & TA_RIGHT)
        left = x - width;
    int top = y;
    if ((align & TA_BASELINE) == TA_BASELINE)
        top = y - face.ascent();
    else if (align & TA_BOTTOM)
        top = y - face.height();

    Painter painter(*dc);
    if (!painter.ok())
        return FALSE;
    cairo_t* cr = painter.cr();
    if (rect && (options & ETO_OPAQUE))
        fill_background(cr, dc->state.bk_colour, rect->left, rect->top, double(rect->right) - rect->left,
                        double(rect->bottom) - rect->top);
    if (rect && (options & ETO_CLIPPED)) {
        cairo_rectangle(cr, rect->left, rect->top, double(rect->right) - rect->left, double(rect->bottom) - rect->top);
        cairo_clip(cr);
    }
    if (dc->state.bk_mode == OPAQUE && !(options & ETO_OPAQUE))
        fill_background(cr, dc->state.bk_colour, left, top, width, face.height());
    set_text_source(painter, dc->state.text_colour);
    if (dx) {
        int pen = left;
        for (UINT i = 0; i < count; ++i) {
            face.draw(cr, pen, top, line.substr(i, 1));
            pen += dx[i];
        }
    } else {
        face.draw(cr, left, top, line);
    }
    if (align & TA_UPDATECP)
        dc->state.position.x = ((align & TA_CENTER) == TA_CENTER) ? x : (align & TA_RIGHT) ? left : left + width;
    return TRUE;
}

BOOL TextOut(HDC dc, int x, int y, LPCSTR text, int count)
{
    if (count < 0)
        return FALSE;
    return ExtTextOut(dc, x, y, 0, nullptr, text, static_cast<UINT>(count), nullptr);
}

int DrawText(HDC handle, LPCSTR text, int count, LPRECT rect, UINT format)
{
    auto dc = find_dc(handle);
    if (!dc || !rect)
        return 0;
    const FontFace& face = *dc->state.font->face;
    std::string_view source = text_of(text, count);
    int box_width = rect->right - rect->left;
    std::vector<Line> lines = lay_out(source, format, face, box_width);
    int line_height = face.height();
    int total = line_height * static_cast<int>(lines.size());
    int widest = 0;
    for (const Line& line : lines)
        widest = std::max(widest, line.width);

    if (format & DT_CALCRECT) {
        if (source.empty()) {
            rect->right = rect->left;
            rect->bottom = rect->top;
            return 0;
        }
        rect->right = rect->left + widest;
        rect->bottom = rect->top + total;
        return total;
    }

    int top = rect->top;
    if (format & DT_SINGLELINE) {
        if (format & DT_VCENTER)
            top = rect->top + (rect->bottom - rect->top - line_height) / 2;
        else if (format & DT_BOTTOM)
            top = rect->bottom - line_height;
    }

    Painter painter(*dc);
    if (!painter.ok())
        return 0;
    cairo_t* cr = painter.cr();
    if (!(format & DT_NOCLIP)) {
        cairo_rectangle(cr, rect->left, rect->top, box_width, double(rect->bottom) - rect->top);
        cairo_clip(cr);
    }
    int y = top;
    for (const Line& line : lines) {
        int x = rect->left;
        if (format & DT_CENTER)
            x = rect->left + (box_width - line.width) / 2;
        else if (format & DT_RIGHT)
            x = rect->right - line.width;
        if (dc->state.bk_mode == OPAQUE && line.width > 0)
            fill_background(cr, dc->state.bk_colour, x, y, line.width, line_height);
        set_text_source(painter, dc->state.text_colour);
        face.draw(cr, x, y, line.text, line.underline_at);
        cairo_set_antialias(cr, CAIRO_ANTIALIAS_NONE);
        y += line_height;
    }
    if (format & (DT_VCENTER | DT_BOTTOM) && (format & DT_SINGLELINE))
        return top - rect->top + total;
    return total;
}

BOOL GetTextExtentPoint32(HDC handle, LPCSTR text, int count, LPSIZE size)
{
    auto dc = find_dc(handle);
    if (!dc || !size || count < 0 || (count > 0 && !text))
        return FALSE;
    const FontFace& face = *dc->state.font->face;
    size->cx = face.width(std::string_view(text ? text : "", static_cast<size_t>(count)));
    size->cy = face.height();
    return TRUE;
}

BOOL GetTextMetrics(HDC handle, LPTEXTMETRIC metrics)
{
    auto dc = find_dc(handle);
    if (!dc || !metrics)
        return FALSE;
    dc->state.font->face->fill_metrics(*metrics);
    return TRUE;
}

int GetTextFace(HDC handle, int size, LPSTR face)
{
    auto dc = find_dc(handle);
    if (!dc)
        return 0;
    const char* name = dc->state.font->logfont.lfFaceName;
    int length = static_cast<int>(std::strlen(name));
    if (!face)
        return length + 1;
    if (size <= 0)
        return 0;
    int n = std::min(length, size - 1);
    std::memcpy(face, name, static_cast<size_t>(n));
    face[n] = 0;
    return n;
}
