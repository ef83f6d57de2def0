// The boxes the conversion dialog, the ICC dialog and the identity dialog
// share: the size and depth boxes (their items for an output profile and the
// keys the size box takes), the path fields only a picker fills, and the LUT
// file they write.
#pragma once

#include <string>
#include <vector>

#include "base/TextFile.h"
#include "registry/Registry.h"

class QComboBox;
class QKeyEvent;
class QLineEdit;
class QString;
class QWidget;

namespace zelvo {

// Makes a combo box the size box: typed into, nothing typed added to its
// list, and typed digits never completed from the list ("1" stays "1", not
// "17").
void SetUpSizeBox(QComboBox& box);
// A path field that only a picker fills: read-only, and grey like a
// disabled field so that it does not look editable.
void ShowAsReadOnly(QLineEdit& edit);

// The size and depth boxes of a dialog before an output format is chosen:
// the 3D sizes and every depth, both at "Default" and disabled.
void ResetProfileBoxes(QComboBox& sizes, QComboBox& bits);
// The same for a chosen profile: enabled as it allows, its usual sizes, the
// depths the conversion job accepts for it (its reader reads them back),
// both at "Default".
void ShowProfileBoxes(QComboBox& sizes, QComboBox& bits, const TLutOutputProfile& profile);

// "Default", then the usual sizes of the profile's kind; for a profile that
// lists its own sizes, those of the usual ones it takes where its sizes run
// without a gap (2 to 64), else all of its own (a Hald CLUT's 4, 9, ... 256).
std::vector<std::string> SizeItems(const TLutOutputProfile& profile);
// "Default", "8 bit", "10 bit", "12 bit", "14 bit", "16 bit".
std::vector<std::string> BitsItems();
// The depth box of a profile: "Default" (-1), then each depth the job takes
// for it (SelectableBits) as "8 bit", and a profile's float depths as
// "16 bit (half float)" or "32 bit (float)", each with its bits.
struct TBitsChoice {
  std::string Caption;
  int Bits = -1;
};
std::vector<TBitsChoice> BitsChoices(const TLutOutputProfile& profile);
// The depth an item stands for: -1 for "Default" (the profile's own), 8 for
// "8 bit" and so on.
int BitsOfItem(const std::string& item);
// A key typed into a size box: "Default" is emptied first; backspace always
// passes; a digit passes while the text has at most 4 characters. Returns
// whether the key goes into `text`, which it may have emptied.
bool AcceptSizeKey(std::string& text, char key);
// The same rule on a key pressed in a size box: true when the key is
// refused (the box may have been emptied of "Default" all the same).
// Keys that type nothing and shortcuts with Ctrl (paste, select all) pass.
bool RefuseSizeKey(QComboBox& box, const QKeyEvent& key);

}  // namespace zelvo
