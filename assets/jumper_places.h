#pragma once

// Where the jumpers stand on the card, in the 400 x 370 frame of the photograph and its
// highlights: the board drawing puts its jumpers here and the jumper sheet its shunts.
namespace JumperPlaces {

constexpr double FrameWidth = 400;
constexpr double FrameHeight = 370;

// The jumper row A4 A5 A6 A7 A8 A9 DF X8: pins one above the other.
constexpr int RowCount = 8;
constexpr double RowY = 292.5;
constexpr double rowX(int i)
{
    return i < 6 ? 52 + 40 * (i + 0.5) / 6 : (i == 6 ? 99.5 : 112.5);
}

// One port's jumper column: five mode positions (32 85 R8 4x 42) and two load positions (RL TL),
// pins side by side; the labels stand left of the column or right of it.
struct Column
{
    double left;
    double modeTop;
    double modeHeight;
    double loadTop;
    double loadHeight;
    bool labelsLeft;
};
constexpr int ColumnPositions = 7;
constexpr int ColumnCount = 8;
// Two columns of four, by the connectors of ports A to D (left) and E to H (right).
constexpr Column Columns[ColumnCount] = {
    {138, 219, 40, 260, 18, true},  {138, 159, 39, 197, 18, true},  {138, 98, 38, 136, 18, true},
    {138, 43, 32, 75, 18, true},    {243, 43, 32, 75, 18, false},   {243, 98, 38, 136, 18, false},
    {243, 159, 39, 197, 18, false}, {243, 219, 40, 260, 18, false},
};
constexpr double columnX(const Column &c)
{
    return c.left + 9;
}
constexpr double columnY(const Column &c, int i)
{
    return i < 5 ? c.modeTop + c.modeHeight * (i + 0.5) / 5 : c.loadTop + c.loadHeight * (i - 5 + 0.5) / 2;
}

} // namespace JumperPlaces
