#include "screentable.h"

#include "screens/startup/kakunin.h"
#include "screens/startup/kidou.h"
#include "screens/startup/logo.h"
#include "screens/tester/hapyou.h"
#include "screens/tester/tester1.h"
#include "screens/tester/tester2.h"

namespace ks {

namespace {

template <typename T> std::unique_ptr<Screen> make(ScreenHost &host)
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
        {QStringLiteral("Tester1"), make<Tester1>},
        {QStringLiteral("Tester2"), make<Tester2>},
        {QStringLiteral("Hapyou1"),
         [](ScreenHost &host) -> std::unique_ptr<Screen> {
             return std::make_unique<Hapyou>(host, 1);
         }},
        {QStringLiteral("Hapyou2"),
         [](ScreenHost &host) -> std::unique_ptr<Screen> {
             return std::make_unique<Hapyou>(host, 2);
         }},
    };
}

} // namespace ks
