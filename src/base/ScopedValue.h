// Gives a variable a value for the life of the guard and puts the old value back when the scope is
// left, also by an exception: used to lend or detach an object's event handlers during a load.
#pragma once

#include <utility>

template <class T> class TScopedValue {
public:
    TScopedValue(T& slot, T value) : slot_(slot), saved_(std::move(slot)) {
        slot_ = std::move(value);
    }
    ~TScopedValue() { slot_ = std::move(saved_); }
    TScopedValue(const TScopedValue&) = delete;
    TScopedValue& operator=(const TScopedValue&) = delete;

private:
    T& slot_;
    T saved_;
};
