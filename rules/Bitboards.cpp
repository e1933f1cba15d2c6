#include "Bitboards.h"

namespace {

struct TStep {
    int Column;
    int Row;
};

constexpr std::array<TStep, 8> RaySteps = {
    {{1, 0}, {1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}}};
constexpr std::array<TStep, 8> KnightJumps = {
    {{1, 2}, {2, 1}, {2, -1}, {1, -2}, {-1, -2}, {-2, -1}, {-2, 1}, {-1, 2}}};

constexpr bool OnBoard(int column, int row) {
    return column >= 0 && column < 8 && row >= 0 && row < 8;
}

// The square one step away, or nothing at the board's edge.
constexpr TBitboard StepFrom(int index, TStep step) {
    const int column = index % 8 + step.Column;
    const int row = index / 8 + step.Row;
    return OnBoard(column, row) ? SquareBit(row * 8 + column) : 0;
}

constexpr TBitboard RayFrom(int index, TStep step) {
    TBitboard ray = 0;
    for (int column = index % 8 + step.Column, row = index / 8 + step.Row; OnBoard(column, row);
         column += step.Column, row += step.Row)
        ray |= SquareBit(row * 8 + column);
    return ray;
}

constexpr TAttackTables BuildTables() {
    TAttackTables tables;
    for (int index = 0; index < 64; ++index) {
        for (int direction = 0; direction < 8; ++direction) {
            tables.Rays[direction][index] = RayFrom(index, RaySteps[direction]);
            tables.King[index] |= StepFrom(index, RaySteps[direction]);
            tables.Knight[index] |= StepFrom(index, KnightJumps[direction]);
            (direction % 2 ? tables.BishopLines : tables.RookLines)[index] |=
                tables.Rays[direction][index];
        }
        tables.Pawn[0][index] = StepFrom(index, {-1, 1}) | StepFrom(index, {1, 1});
        tables.Pawn[1][index] = StepFrom(index, {-1, -1}) | StepFrom(index, {1, -1});
    }
    for (int from = 0; from < 64; ++from) {
        for (int direction = 0; direction < 8; ++direction) {
            const TBitboard ray = tables.Rays[direction][from];
            const TBitboard back = tables.Rays[(direction + 4) % 8][from];
            for (TBitboard rest = ray; rest; rest &= rest - 1) {
                const int to = std::countr_zero(rest);
                tables.Between[from][to] = ray & ~tables.Rays[direction][to] & ~SquareBit(to);
                tables.Line[from][to] = ray | back | SquareBit(from);
            }
        }
    }
    return tables;
}

} // namespace

constinit const TAttackTables AttackTables = BuildTables();
