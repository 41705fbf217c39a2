#include "romajilines.h"

#include "core/romajibreaks.h"

#include <algorithm>
#include <string_view>

namespace ks::test {

bool breaksAreSyllables(const QStringList &lines)
{
    const QByteArray whole = lines.join(QString()).toUtf8();
    const std::vector<std::size_t> legal = romajiLineBreaks(
        std::string_view(whole.constData(), static_cast<std::size_t>(whole.size())));
    std::size_t at = 0;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        at += static_cast<std::size_t>(lines[i].toUtf8().size());
        if (std::find(legal.begin(), legal.end(), at) == legal.end())
            return false;
    }
    return true;
}

} // namespace ks::test
