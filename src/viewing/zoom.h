#pragma once

namespace tovik {

class frmShowTell;

void ZoomIn(frmShowTell& window);
void ZoomOut(frmShowTell& window);
// Back to 1.0 through the same path as a zoom-in step.
void OriginalSize(frmShowTell& window);

} // namespace tovik
