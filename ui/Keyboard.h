// Keys that every desktop program understands, beyond what the toolkit gives by itself.
#pragma once

class QAbstractButton;

// Return and Enter press the button while it has the focus, as Space does.
void ClickOnReturn(QAbstractButton *button);
