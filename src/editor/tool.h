// The tool window: chooses the drawing tool and shifts the edit area by one pixel.
#pragma once

#include "app/toolwindow.h"

class Ttoolform : public TToolWindow {
public:
    explicit Ttoolform(QWidget* owner);
};

extern Ttoolform* toolform;
