#pragma once
#include <QIcon>

namespace slip {

// The pictures of the main window's command buttons, drawn here so that the
// buttons need no picture files.

// A printer with its sheets: one for the shown slip, a stack for the batch.
QIcon PrintPicture(int sheets);
// A sheet with an arrow coming down into it: formats from the web catalogue.
QIcon CataloguePicture();

} // namespace slip
