// The one editor of this process: the document and the state around it. Every window reports the
// user's choices into it and learns of its changes by subscribing to the document's notices.
#pragma once

#include "document/Editor.h"

TEditor& Editor();
inline TDocument& Doc() {
    return Editor().Doc;
}
