#include "XlsAnswer.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace zem::workbook {

namespace {

// No text of a cell comes near this (32,767 characters).
constexpr std::uint32_t kMaxAnswerText = 1024 * 1024;
constexpr std::size_t kFlushSize = 64 * 1024;

template <class T>
void Put(std::string& out, T value)
{
    out.append(reinterpret_cast<const char*>(&value), sizeof value);
}

// Reads fields from a record as long as the bytes last.
class Fields {
public:
    explicit Fields(std::string_view bytes) : m_bytes(bytes) {}
    std::size_t Used() const { return m_pos; }

    template <class T>
    bool Get(T& value)
    {
        if (m_bytes.size() - m_pos < sizeof value)
            return false;
        std::memcpy(&value, m_bytes.data() + m_pos, sizeof value);
        m_pos += sizeof value;
        return true;
    }
    // False when the text is not all there yet; `garbled` when it could never be.
    bool GetText(std::string& text, bool& garbled)
    {
        std::uint32_t size = 0;
        if (!Get(size))
            return false;
        if (size > kMaxAnswerText) {
            garbled = true;
            return false;
        }
        if (m_bytes.size() - m_pos < size)
            return false;
        text.assign(m_bytes.substr(m_pos, size));
        m_pos += size;
        return true;
    }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

}  // namespace

// ---- writing ----

void AnswerWriter::Text(std::string_view text)
{
    Put(m_buffer, static_cast<std::uint32_t>(text.size()));
    m_buffer += text;
}

void AnswerWriter::Name(std::string_view name)
{
    m_buffer += 'N';
    Text(name);
}

void AnswerWriter::Cell(int row, int column, const CellValue& value)
{
    m_buffer += 'C';
    Put(m_buffer, static_cast<std::uint32_t>(row));
    Put(m_buffer, static_cast<std::uint32_t>(column));
    Put(m_buffer, static_cast<std::uint8_t>(value.type));
    Put(m_buffer, value.number);
    Text(value.text);
    if (m_buffer.size() >= kFlushSize)
        Flush();
}

void AnswerWriter::End()
{
    m_buffer += 'K';
    Flush();
}

void AnswerWriter::Refuse(std::string_view reason)
{
    m_buffer += 'E';
    Text(reason);
    Flush();
}

void AnswerWriter::Flush()
{
    for (std::size_t done = 0; done < m_buffer.size();) {
        const ssize_t n = ::write(m_fd, m_buffer.data() + done, m_buffer.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    m_buffer.clear();
}

// ---- reading ----

AnswerReader::State AnswerReader::Take(std::string_view bytes)
{
    if (m_state != State::More)
        return m_state;
    m_pending.append(bytes);
    std::size_t start = 0;
    while (m_state == State::More && start < m_pending.size()) {
        std::size_t used = 0;
        const State state = Record(std::string_view(m_pending).substr(start), used);
        if (used == 0 && state == State::More)
            break;  // the record is not all there yet
        start += used;
        m_state = state;
    }
    m_pending.erase(0, start);
    return m_state;
}

// One record from the start of `bytes`: `used` is 0 while it is not all there.
AnswerReader::State AnswerReader::Record(std::string_view bytes, std::size_t& used)
{
    Fields in(bytes.substr(1));
    bool garbled = false;
    auto done = [&](State state) {
        used = 1 + in.Used();
        return state;
    };
    switch (bytes[0]) {
    case 'N':
        if (!in.GetText(m_sheet.name, garbled))
            return garbled ? State::Garbled : State::More;
        return done(State::More);
    case 'C': {
        std::uint32_t row = 0, column = 0;
        std::uint8_t type = 0;
        CellValue value;
        if (!in.Get(row) || !in.Get(column) || !in.Get(type) || !in.Get(value.number) ||
            !in.GetText(value.text, garbled))
            return garbled ? State::Garbled : State::More;
        if (type > static_cast<std::uint8_t>(CellValue::Type::Date))
            return State::Garbled;
        value.type = static_cast<CellValue::Type>(type);
        m_sheet.Set(static_cast<int>(std::min<std::uint32_t>(row, 0x7FFFFFFF)),
                    static_cast<int>(std::min<std::uint32_t>(column, 0x7FFFFFFF)), std::move(value));
        return done(m_sheet.IsOverReadLimit() ? State::TooLarge : State::More);
    }
    case 'K':
        return done(State::Read);
    case 'E':
        if (!in.GetText(m_reason, garbled))
            return garbled ? State::Garbled : State::More;
        return done(m_reason.empty() ? State::Garbled : State::Refused);
    default:
        return State::Garbled;
    }
}

}  // namespace zem::workbook
