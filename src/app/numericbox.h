// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#pragma once

class QLineEdit;

namespace tovik {

// Makes a text box numeric the way every dialog of the program wants it: typed characters other
// than the digits 0 to 9 and Backspace are discarded (Enter and Ctrl+V among them), and the whole
// text is selected when the box receives the focus.
void makeNumericBox(QLineEdit* box);

} // namespace tovik
