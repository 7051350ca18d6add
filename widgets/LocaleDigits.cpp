#include "widgets/LocaleDigits.h"

#include <QLocale>

namespace tallowmark {

std::string LocaleDigits(std::uint64_t count) {
    return QLocale().toString(static_cast<qulonglong>(count)).toStdString();
}

}  // namespace tallowmark
