// ResultChart: the result window's bar chart, one bar per archive made, in list order,
// each as long as its size against the largest, labelled with the size in KiB or MiB
// and its share of the input size; the saved (smallest) archive's bar is highlighted.
#pragma once

#include "run/RunState.h"

#include <QWidget>

#include <cstddef>
#include <vector>

namespace vexel {

struct ChartInput {
    std::vector<FormatResult> made; // in list order
    std::size_t winner = 0;         // index into made
    std::int64_t inputSize = 0;     // 0: no share is shown
};

// "9.64 KiB", "123.5 KiB", "3.00 MiB", "1536.0 MiB": two decimals below 10, one above.
QString sizeLabel(std::int64_t bytes);
// "45.2%" of `inputSize`; empty when the input size is unknown (0).
QString shareLabel(std::int64_t bytes, std::int64_t inputSize);

class ResultChart : public QWidget {
    Q_OBJECT
public:
    struct Bar {
        QString format;
        std::int64_t size = 0;
        QString label; // size and share, as drawn
        bool winner = false;
        QRect rect; // the bar itself, in widget pixels
    };

    explicit ResultChart(ChartInput input, QWidget *parent = nullptr);

    // The height that holds `rows` bars.
    static int heightFor(std::size_t rows);
    // The bars as laid out for the current width, top to bottom.
    std::vector<Bar> bars() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    ChartInput input_;
};

} // namespace vexel
