// DesignGeometry: the main window's controls at the design's pixel positions, scaled by
// one factor so that every text fits at the font in use. The positions were drawn for
// a small Western system font; with a CJK font, or a user's larger font, they would
// clip labels and push group-box titles onto their first control. Scaling every
// position and size by the same factor keeps the arrangement and the proportions.
#pragma once

#include <QRect>
#include <QSize>

#include <vector>

class QWidget;

namespace vexel {

class DesignGeometry {
public:
    // Records `widget` at `design` (left, top, width, height in design pixels, relative
    // to its parent). Returns the widget for chaining.
    QWidget *place(QWidget *widget, const QRect &design);

    // The smallest factor, 1 or more, at which every recorded control's text fits its
    // scaled rectangle at its current font (see the .cpp for what "fits" means per kind).
    double fittingScale() const;

    // Sets every recorded control's geometry, scaled by `factor`, and returns the scaled
    // size of `designSize` (the window's client area).
    QSize apply(double factor, const QSize &designSize) const;

    // `design` scaled: each edge is scaled and rounded, so controls that do not overlap
    // in the design never overlap once scaled.
    static QRect scaled(const QRect &design, double factor);

private:
    bool fitsAt(double factor) const;

    struct Placed {
        QWidget *widget;
        QRect design;
    };
    std::vector<Placed> placed_;
};

} // namespace vexel
