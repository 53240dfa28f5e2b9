// A window's toolbar dispatcher: it routes the toolbar's navigation buttons to the browse
// and form components of the window. The windows of this program have neither, so the
// dispatcher holds nothing; each window procedure still installs one in its window object.
#pragma once

namespace library {

class Toolbar {};

}  // namespace library
