#include "base/Graphic.h"

#include "base/Stream.h"

void TGraphic::LoadFromFile(const std::string& path) {
    TFileStream stream(path, TFileStream::fmOpenRead);
    LoadFromStream(stream);
}

void TGraphic::SaveToFile(const std::string& path) const {
    WriteFileAtomically(path, [this](TStream& stream) { SaveToStream(stream); });
}

void TGraphic::SetTransparent(bool value) {
    if (value == transparent_) return;
    transparent_ = value;
    Changed();
}

void TGraphic::Changed() {
    if (OnChange) OnChange(*this);
}

void TGraphic::Progress(TProgressStage stage, int percent, const std::string& message) {
    if (OnProgress) OnProgress(*this, stage, percent, false, TRect{}, message);
}
