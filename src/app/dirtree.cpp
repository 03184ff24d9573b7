// SPDX-License-Identifier: GPL-2.0-or-later
// Copyright 2026 The Tovik Viewer developers

#include "app/dirtree.h"

namespace tovik {

void dirTree::Form_Load() {
    switch (m_state.DialogMode) {
    case 1:
        takeFileAnswer(m_platform.dialogs.openFiles(OpenFilter), m_state.SelectedFiles);
        break;
    case 2:
    case 3: {
        const ColorAnswer answer = m_platform.dialogs.chooseColor();
        if (answer.result == DialogResult::Cancelled)
            m_state.DialogCancelled = true;
        else if (answer.result == DialogResult::Accepted)
            (m_state.DialogMode == 2 ? m_state.ThumbBackColor : m_state.ThumbTextColor) =
                answer.color;
        break;
    }
    case 4:
        takeFileAnswer(m_platform.dialogs.saveFile(SaveFilter), FileName);
        break;
    default:
        break;
    }
}

void dirTree::takeFileAnswer(const FileAnswer& answer, QString& into) {
    if (answer.result == DialogResult::Cancelled)
        m_state.DialogCancelled = true;
    else if (answer.result == DialogResult::Accepted && !answer.text.isEmpty())
        into = answer.text;
}

} // namespace tovik
