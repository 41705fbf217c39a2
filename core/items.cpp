#include "items.h"

#include <cmath>

namespace ks {

namespace {

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}
bool isLineEnd(char c)
{
    return c == '\r' || c == '\n';
}

class ItemReader
{
public:
    explicit ItemReader(std::string_view text) : m_text(text) {}

    // Reads the next item into item; false at the end of the text.
    bool next(std::string &item)
    {
        for (;;) {
            skipBlanks();
            if (atEnd())
                return false;
            if (isLineEnd(peek())) {
                // Blank line, or the end of a line whose last comma ended an item.
                skipLineEnd();
                continue;
            }
            break;
        }
        item.clear();
        if (peek() == '"')
            readQuoted(item);
        // Only what stands outside the quotes loses its trailing blanks.
        std::string plain;
        readPlain(plain);
        trimTrailingBlanks(plain);
        item += plain;
        finishItem();
        return true;
    }

private:
    bool atEnd() const { return m_pos >= m_text.size(); }
    char peek() const { return m_text[m_pos]; }

    void skipBlanks()
    {
        while (!atEnd() && isBlank(peek()))
            ++m_pos;
    }

    void skipLineEnd()
    {
        if (peek() == '\r' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == '\n')
            ++m_pos;
        ++m_pos;
    }

    void readQuoted(std::string &item)
    {
        ++m_pos; // opening quote
        const std::size_t start = m_pos;
        while (!atEnd() && peek() != '"' && !isLineEnd(peek()))
            ++m_pos;
        item.append(m_text.substr(start, m_pos - start));
        if (!atEnd() && peek() == '"')
            ++m_pos;
    }

    void readPlain(std::string &item)
    {
        const std::size_t start = m_pos;
        while (!atEnd() && peek() != ',' && !isLineEnd(peek()))
            ++m_pos;
        item.append(m_text.substr(start, m_pos - start));
    }

    static void trimTrailingBlanks(std::string &item)
    {
        std::size_t end = item.size();
        while (end > 0 && isBlank(item[end - 1]))
            --end;
        item.resize(end);
    }

    // Consumes the separator after an item. A comma followed only by blanks up
    // to a line end or the end of the text is a trailing comma: it starts no
    // item, and the line end is left for next() to skip.
    void finishItem()
    {
        if (atEnd())
            return;
        if (isLineEnd(peek())) {
            skipLineEnd();
            return;
        }
        ++m_pos; // comma
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

} // namespace

Result<std::vector<std::string>> parseItems(std::string_view text, std::size_t capacity)
{
    std::vector<std::string> items;
    ItemReader reader(text);
    std::string item;
    while (reader.next(item)) {
        if (items.size() == capacity)
            return Error{ErrorCode::TooManyItems, std::to_string(capacity) + " 個まで"};
        items.push_back(item);
    }
    return items;
}

double numberValue(std::string_view item)
{
    std::size_t i = 0;
    while (i < item.size() && isBlank(item[i]))
        ++i;
    double sign = 1.0;
    if (i < item.size() && (item[i] == '+' || item[i] == '-')) {
        sign = item[i] == '-' ? -1.0 : 1.0;
        ++i;
    }
    double value = 0.0;
    bool digits = false;
    for (; i < item.size() && item[i] >= '0' && item[i] <= '9'; ++i) {
        value = value * 10.0 + (item[i] - '0');
        digits = true;
    }
    if (i < item.size() && item[i] == '.') {
        double scale = 0.1;
        for (++i; i < item.size() && item[i] >= '0' && item[i] <= '9'; ++i) {
            value += (item[i] - '0') * scale;
            scale /= 10.0;
            digits = true;
        }
    }
    if (!digits || !std::isfinite(value))
        return 0.0;
    return sign * value;
}

} // namespace ks
