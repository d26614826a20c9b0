// The document window's picture: the indexed document enlarged to whole device pixels, drawn at
// paint time for the part Qt asks for, so that no picture of the whole enlarged document is ever
// held. Changing the document only asks for a repaint of the pixels it touched.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

class TDIB;

class TDocCanvas : public QWidget {
public:
    // picture gives the document to show, or nullptr for none; zoom its device pixels per image
    // pixel. Both are asked afresh at every paint.
    TDocCanvas(std::function<const TDIB*()> picture, std::function<int32_t()> zoom,
               QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::function<const TDIB*()> picture_;
    std::function<int32_t()> zoom_;
};
