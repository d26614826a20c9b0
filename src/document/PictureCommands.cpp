#include "document/PictureCommands.h"

#include "image/Enlarge.h"

void TransformBlock(TEditor& editor, TTransform transform) {
    TDocument& doc = editor.Doc;
    if (!doc.Floating() || editor.PressInProgress()) return;
    doc.FloatBlock(Transformed(doc.WorkImage(), transform), doc.Sel().Left, doc.Sel().Top);
}

TPictureChange TransformChange(const TDocument& doc, TTransform transform) {
    const bool quarter = transform == TTransform::TurnRight || transform == TTransform::TurnLeft;
    return {quarter ? doc.DocHeight() : doc.DocWidth(), quarter ? doc.DocWidth() : doc.DocHeight(),
            [transform](const TDIB& image) { return Transformed(image, transform); }};
}

TPictureChange CanvasChange(const TDocument& doc, int64_t width, int64_t height, TAnchor anchor) {
    const auto fill = static_cast<uint8_t>(doc.TransparentIndex());
    return {width, height, [=](const TDIB& image) {
                // Made only once the size has been found to fit.
                const TRect frame = CanvasFrame(image.Width(), image.Height(), int32_t(width),
                                                int32_t(height), anchor);
                return Reframed(image, frame, fill);
            }};
}

TPictureChange CropChange(const TDocument& doc) {
    const TSelectionBox& sel = doc.Sel();
    const TRect frame{sel.Left, sel.Top, sel.Left + sel.Width, sel.Top + sel.Height};
    return {sel.Width, sel.Height,
            [frame](const TDIB& image) { return Reframed(image, frame, 0); }};
}

TPictureChange EnlargeChange(const TDocument& doc, int32_t factor) {
    return {int64_t(doc.DocWidth()) * factor, int64_t(doc.DocHeight()) * factor,
            [factor](const TDIB& image) { return Enlarged(image, factor); }};
}

bool CanChangePicture(const TEditor& editor) {
    return editor.Doc.IsOpen() && !editor.Doc.Floating();
}

bool ChangeFits(const TPictureChange& change) {
    return StorageFits(change.Width, change.Height, 8);
}

bool ChangePicture(TEditor& editor, const TPictureChange& change) {
    if (!CanChangePicture(editor) || !ChangeFits(change)) return false;
    editor.EndPressInProgress();
    // Made before anything changes: a picture that cannot be had leaves everything as it was.
    const TDIB picture = change.Make(*editor.Doc.DocImage());
    editor.ClampViewOrigins(picture.Width(), picture.Height());
    editor.Doc.ChangePicture(picture);
    return true;
}
