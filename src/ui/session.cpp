#include "ui/session.h"

TEditor& Editor() {
    static TEditor editor;
    return editor;
}
