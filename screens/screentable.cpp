#include "screentable.h"

#include "screens/startup/kakunin.h"
#include "screens/startup/kidou.h"
#include "screens/startup/logo.h"

namespace ks {

namespace {

template <typename T>
std::unique_ptr<Screen> make(ScreenHost &host)
{
    return std::make_unique<T>(host);
}

} // namespace

ScreenHost::ScreenTable gameScreens()
{
    return {
        {QStringLiteral("Kakunin"), make<Kakunin>},
        {QStringLiteral("Logo"), make<Logo>},
        {QStringLiteral("Kidou"), make<Kidou>},
    };
}

} // namespace ks
