// A surface with a DC over it, for the tests of this module.
#pragma once

#include <windows.h>

#include <memory>

#include "helm/gdi/hooks.h"
#include "helm/gdi/pixel_checks.h"
#include "helm/gdi/surface.h"

namespace gdi_tests {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr COLORREF kBlack = RGB(0, 0, 0);
constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);

struct Canvas {
    explicit Canvas(int width = 64, int height = 64, COLORREF background = kWhite)
        : surface(helm::gdi::Surface::create(width, height))
    {
        surface->fill(helm::gdi::argb_of(background));
        dc = helm::gdi::make_surface_dc(surface, POINT{0, 0}, RECT{0, 0, width, height});
    }
    ~Canvas() { DeleteDC(dc); }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    const helm::gdi::Surface& pixels() const { return *surface; }
    RECT all() const { return helm::gdi::testing::whole(*surface); }

    std::shared_ptr<helm::gdi::Surface> surface;
    HDC dc = nullptr;
};

// Selects an object for the life of the scope and restores the previous one.
class Selected {
public:
    Selected(HDC dc, HGDIOBJ object) : m_dc(dc), m_previous(SelectObject(dc, object)) {}
    ~Selected() { SelectObject(m_dc, m_previous); }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

private:
    HDC m_dc;
    HGDIOBJ m_previous;
};

}  // namespace gdi_tests
