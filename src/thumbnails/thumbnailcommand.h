#pragma once

namespace tovik {

class frmShowTell;

// Tools, Generate Thumbnails: the options, the sheet of the whole list, shown at zoom 1, saved
// as tempnail.bmp beside the program and appended to the list as its last frame.
void Thumbnail_Click(frmShowTell& window);

} // namespace tovik
