// Rate-limited console lines about refused records.
#include "intake/QelMalformedRecordLog.h"

#include "common/QelConsole.h"
#include "common/QelIndexerGlobals.h"

std::string qelShowBytes(const unsigned char* bytes, std::size_t length) {
  static const char hex[] = "0123456789abcdef";
  std::string out;
  out.reserve(length + 8);
  for (std::size_t i = 0; i < length; ++i) {
    unsigned char c = bytes[i];
    if (c == '\\' || c == '"') {
      out.push_back('\\');
      out.push_back(static_cast<char>(c));
    } else if (c >= 0x20 && c < 0x7f) {
      out.push_back(static_cast<char>(c));
    } else {
      out += "\\x";
      out.push_back(hex[c >> 4]);
      out.push_back(hex[c & 15]);
    }
  }
  return out;
}

void QelMalformedRecordLog::refused(const unsigned char* bytes, std::size_t length) {
  ++count_;
  auto now = std::chrono::steady_clock::now();
  if (printed_ && now - lastPrinted_ < std::chrono::seconds(1)) return;
  printed_ = true;
  lastPrinted_ = now;
  std::string shown = qelShowBytes(bytes, length);
  std::string n = std::to_string(count_);
  if (const QelIndexerCatalog* catalog = QelIndexerGlobals::catalog()) {
    consolePrint(catalog->getMsg(msgMalformedRecord, peer_.c_str(), shown.c_str(), n.c_str()));
  } else {
    consolePrint(QelString("record from " + peer_ + " refused: \"" + shown + "\" (" + n + ")"));
  }
}
