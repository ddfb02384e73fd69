#include "meeting/window/grid/FileSharePageSize.h"

#include <algorithm>

namespace FileSharePageSize {

QSizeF availableArea(const Input &in)
{
    const double s = in.adjustScale;
    const QSizeF base = in.fullScreen ? in.mainScreenSize : in.windowContentSize;
    const double width = in.stripShown ? base.width() - 216 * s : base.width();
    const double height = base.height() - ((in.fullScreen && in.stripShown) ? 148 * s : 184 * s);
    return {width, height};
}

QSizeF itemSize(const Input &in)
{
    const QSizeF area = availableArea(in);
    if (!in.verticalScroll || in.slices.isEmpty())
        return area;
    Page reference = in.slices.first();
    for (const Page &p : in.slices) {
        const bool wanted = in.displayEnableScroll ? p.picWidth < p.picHeight : p.picWidth > p.picHeight;
        if (wanted) {
            reference = p;
            break;
        }
    }
    // A page without dimensions cannot be scaled: it takes the area as it is.
    if (reference.picWidth <= 0 || reference.picHeight <= 0)
        return area;
    if (reference.picWidth > reference.picHeight)
        return area;
    const double scaled = area.width() * reference.picHeight / reference.picWidth;
    double height = 0;
    if (area.width() >= reference.picWidth && scaled > reference.picHeight && reference.picHeight > area.height())
        height = reference.picHeight;
    else
        height = std::max(area.height(), scaled);
    return {area.width(), height};
}

} // namespace FileSharePageSize
