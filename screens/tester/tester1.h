#pragma once

#include "shell/screen.h"

#include <string>
#include <vector>

namespace ks {

// The speed tester's course choice: 30 or 60 seconds, with both high scores.
class Tester1 final : public Screen
{
public:
    explicit Tester1(ScreenHost &host) : Screen(host, QStringLiteral("Tester1")) {}

    void Form_Load() override;
    void Form_Unload() override;
    void Form_KeyDown(int &keyCode, int shift) override;

    // Length of the chosen course in seconds. The run and its results read it
    // long after this screen has closed.
    qint16 Tlimit1 = 0;

protected:
    void createControls() override;
    void writeVariables(StateWriter &out) const override;

private:
    void highlight(int course);

    Image *Image1 = nullptr;
    Shape *Shape1 = nullptr;
    Label *KomentG = nullptr;
    Label *Zikan[2] = {};
    Label *Label1[3] = {};
    Label *Scoa[2] = {};

    qint16 selectedCourse = 1;
    bool startingTest = false;
    std::vector<std::string> settingsLines;
};

} // namespace ks
