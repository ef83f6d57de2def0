// The boxes the conversion dialog and the ICC dialog share: the size and
// depth boxes (their items for an output profile and the keys the size box
// takes) and the path fields only a picker fills.
#pragma once

#include <string>
#include <vector>

#include "registry/Registry.h"

class QComboBox;
class QKeyEvent;
class QLineEdit;

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

// "Default", then the usual sizes of the profile's kind.
std::vector<std::string> SizeItems(const TLutOutputProfile& profile);
// "Default", "8 bit", "10 bit", "12 bit", "14 bit", "16 bit".
std::vector<std::string> BitsItems();
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
