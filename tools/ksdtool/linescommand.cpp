#include "linescommand.h"

#include "core/problemfile.h"

#include <algorithm>
#include <string>

namespace ksd {

namespace {

// Output columns are tab-separated; a tab inside a display text (the reader
// keeps inner blanks) would shift them.
std::string oneColumn(std::string text)
{
    std::replace(text.begin(), text.end(), '\t', ' ');
    return text;
}

int printExamLines(const CommandLine &line, const ks::RomajiTable &table, std::ostream &out,
                   std::ostream &err)
{
    ks::Result<std::vector<std::string>> phrases = ks::loadExamPhrases(line.file, table);
    if (!phrases) {
        err << "ksdtool: " << phrases.error().message() << '\n';
        return kExitBadInput;
    }
    for (std::size_t i = 0; i < phrases->size(); ++i)
        out << i << "\t\t" << (*phrases)[i] << '\n';
    return kExitOk;
}

int printPracticeLines(const CommandLine &line, const ks::RomajiTable &table, std::ostream &out,
                       std::ostream &err)
{
    ks::Result<std::vector<std::string>> items =
        ks::ReadProblemItems(line.file, ks::kPracticeItemCapacity);
    if (!items) {
        err << "ksdtool: " << items.error().message() << '\n';
        return kExitBadInput;
    }
    ks::Result<ks::PracticeProblems> problems = ks::preparePracticeProblems(*items, table);
    if (!problems) {
        err << "ksdtool: " << line.file << "：" << problems.error().message() << '\n';
        return kExitBadInput;
    }
    const std::vector<std::string> &texts = problems->displayTexts;
    for (std::size_t i = 0; i < problems->romajiLines.size(); ++i) {
        const std::string text = i < texts.size() ? texts[i] : std::string();
        out << i << '\t' << oneColumn(text) << '\t' << problems->romajiLines[i] << '\n';
    }
    out << "total " << problems->romajiTotal << '\n';
    return kExitOk;
}

} // namespace

int runLines(const CommandLine &line, const ks::RomajiTable &table, std::ostream &out,
             std::ostream &err)
{
    if (line.kind == FileKind::Exam)
        return printExamLines(line, table, out, err);
    return printPracticeLines(line, table, out, err);
}

} // namespace ksd
