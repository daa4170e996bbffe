#pragma once

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace thornvale {

// One row of the result list: cell 0 the 0-based row number, then nickname, server, level, class,
// race and the address of the character's page.
struct ResultRow {
    enum Cell { Number = 0, Nickname, Server, Level, Job, Race, Address, CellCount };
    std::array<std::u16string, CellCount> cells;
};

// The list's column headers, cell by cell; the window's list and the CLI's table both show them.
inline constexpr std::array<std::u16string_view, ResultRow::CellCount> ColumnCaptions
    = { u"번", u"닉네임", u"서버", u"렙", u"직업", u"종족", u"주소" };

// The result list as the page run and the rank lookup see it. The window backs it with the
// list control's model; the CLI and the tests with ResultTable.
class ResultList {
public:
    virtual ~ResultList() = default;
    virtual void clear() = 0;
    virtual int count() const = 0;
    // Appends a row holding only cell 0.
    virtual void append(std::u16string number) = 0;
    // Sets cell k (1 to 6) of the last row.
    virtual void setLastCell(int k, std::u16string text) = 0;
    // Cell k of the row at 0-based index; the row must exist.
    virtual std::u16string_view cell(int row, int k) const = 0;
};

class ResultTable final : public ResultList {
public:
    void clear() override { m_rows.clear(); }
    int count() const override { return int(m_rows.size()); }
    void append(std::u16string number) override;
    void setLastCell(int k, std::u16string text) override;
    std::u16string_view cell(int row, int k) const override;

    const std::vector<ResultRow> &rows() const { return m_rows; }

private:
    std::vector<ResultRow> m_rows;
};

} // namespace thornvale
