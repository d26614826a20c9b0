// Modal boxes and the new-image dialog appear in the middle of the screen, wherever the document
// window is.
#pragma once

class QWidget;

// Moves window so that its frame is centred on the available area of its screen.
void CentreOnScreen(QWidget& window);
