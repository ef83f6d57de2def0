#include "app/ProfileBoxes.h"

#include <QComboBox>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLineEdit>
#include <algorithm>
#include <filesystem>

#include "base/StringLib.h"
#include "convert/ConvertJob.h"

namespace zelvo {

void SetUpSizeBox(QComboBox& box) {
  box.setEditable(true);
  box.setInsertPolicy(QComboBox::NoInsert);
  box.setCompleter(nullptr);
  box.lineEdit()->setObjectName(QStringLiteral("edtDimSize"));
}

void ShowAsReadOnly(QLineEdit& edit) {
  edit.setReadOnly(true);
  QPalette grey = edit.palette();
  grey.setColor(QPalette::Base, grey.color(QPalette::Window));
  edit.setPalette(grey);
}

namespace {

void SetItems(QComboBox& box, const std::vector<std::string>& items) {
  box.clear();
  for (const std::string& item : items) box.addItem(QString::fromStdString(item));
}

}  // namespace

void ResetProfileBoxes(QComboBox& sizes, QComboBox& bits) {
  SetItems(sizes, {"Default", "17", "32", "33", "64"});
  sizes.setEditText(QStringLiteral("Default"));
  sizes.setEnabled(false);
  bits.clear();
  for (const std::string& item : BitsItems()) bits.addItem(QString::fromStdString(item), BitsOfItem(item));
  bits.setCurrentIndex(0);
  bits.setEnabled(false);
}

void ShowProfileBoxes(QComboBox& sizes, QComboBox& bits, const TLutOutputProfile& profile) {
  sizes.setEnabled(profile.SizeSelectable);
  if (profile.SizeSelectable) SetItems(sizes, SizeItems(profile));
  sizes.setEditText(QStringLiteral("Default"));
  bits.clear();
  for (const TBitsChoice& choice : BitsChoices(profile)) bits.addItem(QString::fromStdString(choice.Caption), choice.Bits);
  bits.setEnabled(profile.BitsSelectable);
  bits.setCurrentIndex(0);
}

std::vector<std::string> SizeItems(const TLutOutputProfile& profile) {
  std::vector<std::string> usual = profile.Is3D ? std::vector<std::string>{"Default", "17", "32", "33", "64"}
                                                : std::vector<std::string>{"Default", "1024", "2048", "4096", "8192",
                                                                           "16384", "32768", "65536"};
  const std::vector<int>& own = profile.Sizes;
  if (own.empty()) return usual;
  std::vector<std::string> items{"Default"};
  if (own.back() - own.front() + 1 == static_cast<int>(own.size())) {
    for (std::size_t i = 1; i < usual.size(); ++i) {
      int size = 0;
      if (TryParseInt(usual[i], size) && std::ranges::find(own, size) != own.end()) items.push_back(usual[i]);
    }
    return items;
  }
  for (const int size : own) items.push_back(std::to_string(size));
  return items;
}

std::vector<TBitsChoice> BitsChoices(const TLutOutputProfile& profile) {
  std::vector<TBitsChoice> choices{{"Default", -1}};
  for (const int bits : SelectableBits(profile)) {
    const auto own = std::ranges::find(profile.Depths, bits, &TProfileDepth::Bits);
    const bool is_float = own != profile.Depths.end() && own->Float;
    choices.push_back({std::to_string(bits) + " bit" + (!is_float ? "" : bits == 16 ? " (half float)" : " (float)"), bits});
  }
  return choices;
}

std::vector<std::string> BitsItems() { return {"Default", "8 bit", "10 bit", "12 bit", "14 bit", "16 bit"}; }

int BitsOfItem(const std::string& item) {
  int bits = -1;
  if (item.ends_with(" bit") && TryParseInt(std::string_view(item).substr(0, item.size() - 4), bits)) return bits;
  return -1;
}

bool AcceptSizeKey(std::string& text, char key) {
  if (text == "Default") text.clear();
  if (key == '\b') return true;
  return key >= '0' && key <= '9' && text.size() <= 4;
}

bool RefuseSizeKey(QComboBox& box, const QKeyEvent& key) {
  char typed = '\b';
  if (key.key() != Qt::Key_Backspace) {
    const QString text = key.text();
    if (text.size() != 1 || !text[0].isPrint() || (key.modifiers() & Qt::ControlModifier)) return false;
    typed = text[0].unicode() < 0x80 ? static_cast<char>(text[0].unicode()) : '?';
  }
  // The whole text counts, also a selection the digit would replace.
  const std::string before = box.currentText().toStdString();
  std::string after = before;
  const bool accepted = AcceptSizeKey(after, typed);
  if (after != before) box.setEditText(QString::fromStdString(after));
  return !accepted;
}

}  // namespace zelvo
