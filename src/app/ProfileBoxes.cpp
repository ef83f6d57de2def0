#include "app/ProfileBoxes.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>

#include <algorithm>

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
  SetItems(bits, BitsItems());
  bits.setCurrentIndex(0);
  bits.setEnabled(false);
}

void ShowProfileBoxes(QComboBox& sizes, QComboBox& bits, const TLutOutputProfile& profile) {
  sizes.setEnabled(profile.SizeSelectable);
  if (profile.SizeSelectable) SetItems(sizes, SizeItems(profile));
  sizes.setEditText(QStringLiteral("Default"));
  const std::vector<int> selectable = SelectableBits(profile);
  bits.clear();
  for (const std::string& item : BitsItems()) {
    const int depth = BitsOfItem(item);
    if (depth == -1 || std::find(selectable.begin(), selectable.end(), depth) != selectable.end()) {
      bits.addItem(QString::fromStdString(item));
    }
  }
  bits.setEnabled(profile.BitsSelectable);
  bits.setCurrentIndex(0);
}

std::vector<std::string> SizeItems(const TLutOutputProfile& profile) {
  if (profile.Is3D) return {"Default", "17", "32", "33", "64"};
  return {"Default", "1024", "2048", "4096", "8192", "16384", "32768", "65536"};
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
