// A bare up-down control: two arrow buttons stepping a position within a range, without
// wrapping. The owner reads the position when a button is released.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>

class QToolButton;

class TUpDown : public QWidget {
public:
    TUpDown(int32_t min, int32_t max, int32_t increment, int32_t position, QWidget* parent);

    int32_t Position() const { return position_; }
    // Clamped to the range.
    void SetPosition(int32_t position);
    // Run, guarded, after either button is released.
    std::function<void()> OnMouseUp;

    QToolButton *Down, *Up;

private:
    int32_t min_, max_, increment_, position_;
};
