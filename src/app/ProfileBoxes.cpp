#include "app/ProfileBoxes.h"

#include "base/StringLib.h"

namespace zelvo {

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

}  // namespace zelvo
