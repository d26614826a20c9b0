#include "app/startup.h"

#include "app/docwindow.h"
#include "app/new.h"
#include "app/settings.h"
#include "app/windowplace.h"
#include "editor/animation.h"
#include "editor/lupe.h"
#include "editor/tilepreview.h"
#include "editor/toolwindow.h"
#include "palette/palettewindow.h"

void CreateWindows() {
    mainform = new Tmainform;
    // The tool windows belong to the document window, which keeps them above itself.
    toolform = new Ttoolform(mainform);
    palletform = new Tpalletform(mainform);
    NewForm = new TNewForm(mainform);
    LupeForm = new TLupeForm(mainform);
    // The previews stay hidden until the view menu, or the settings of the last run, show them.
    AnimationForm = new TAnimationForm(mainform);
    TileForm = new TTileForm(mainform);
    PlaceWindowsForStart();
    RestoreSettings();
    mainform->show();
    toolform->show();
    palletform->show();
    LupeForm->show();
    mainform->PreviewItemClick();
}

void DestroyWindows() {
    delete mainform; // and with it the windows it owns
    mainform = nullptr;
    toolform = nullptr;
    palletform = nullptr;
    NewForm = nullptr;
    LupeForm = nullptr;
    AnimationForm = nullptr;
    TileForm = nullptr;
}
