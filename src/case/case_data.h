#pragma once
// The numeric form of a case, as a run reads it from the case file. Tables are indexed from 0
// here (row 1 of the file is entry 0); the hydrograph's entry i is QL(i). Every count is the
// size of its table, so it cannot disagree with it.

#include <QString>

#include <array>
#include <vector>

namespace m4 {

struct CurvePoint {
    double ZP; ///< level, m
    double F;  ///< water-surface area, 10^4 m2
};

struct Tunnel {
    double B1;  ///< inlet width, m
    double A1;  ///< inlet height, m
    double C1;  ///< inlet bottom elevation, m
    double M11; ///< discharge coefficient of the gate opening
    double B11; ///< gate width, m
    double A11; ///< gate height, m
    double C11; ///< gate bottom elevation, m
    double GM;  ///< discharge limit of this tunnel, m3/s
};

struct Spillway {
    double M2; ///< discharge coefficient
    double B2; ///< crest width, m
    double C2; ///< crest elevation, m
};

/// One state of the gated orifice whose width and opening change with the level; it applies
/// while ZZ1 <= Z < ZZ2.
struct OrificeState {
    double ZZ1, ZZ2; ///< lower and upper level, m
    double BB;       ///< gate width, m
    double AA;       ///< gate opening, m
    double MM;       ///< discharge coefficient
    double VV;       ///< gate sill elevation, m
};

/// One state of the spillway whose width changes with the level; it applies while
/// ZZ3 <= Z < ZZ4.
struct VariableSpillwayState {
    double ZZ3, ZZ4; ///< lower and upper level, m
    double MM;       ///< discharge coefficient (its own column, not the orifice table's)
    double DD;       ///< opening width, m
    double EE;       ///< sill elevation, m
};

struct DischargePoint {
    double ZZ0; ///< level, m
    double QQ;  ///< discharge, m3/s
};

/// The columns of each table in the order the case file and the report give them.
inline constexpr std::array<double CurvePoint::*, 2> kCurveColumns{&CurvePoint::ZP, &CurvePoint::F};
inline constexpr std::array<double Tunnel::*, 8> kTunnelColumns{
    &Tunnel::B1,  &Tunnel::A1,  &Tunnel::C1,  &Tunnel::M11,
    &Tunnel::B11, &Tunnel::A11, &Tunnel::C11, &Tunnel::GM};
inline constexpr std::array<double Spillway::*, 3> kSpillwayColumns{&Spillway::M2, &Spillway::B2,
                                                                    &Spillway::C2};
inline constexpr std::array<double OrificeState::*, 6> kOrificeColumns{
    &OrificeState::ZZ1, &OrificeState::ZZ2, &OrificeState::BB,
    &OrificeState::AA,  &OrificeState::MM,  &OrificeState::VV};
inline constexpr std::array<double VariableSpillwayState::*, 5> kVariableSpillwayColumns{
    &VariableSpillwayState::ZZ3, &VariableSpillwayState::ZZ4, &VariableSpillwayState::MM,
    &VariableSpillwayState::DD, &VariableSpillwayState::EE};
inline constexpr std::array<double DischargePoint::*, 2> kDischargeColumns{&DischargePoint::ZZ0,
                                                                           &DischargePoint::QQ};

struct CaseData {
    QString projectName;
    QString frequency;
    std::vector<CurvePoint> curve;                        ///< K points
    double T = 0;                                         ///< period length, s
    std::vector<double> QL;                               ///< J + 1 inflows, m3/s
    double ZM = 0;                                        ///< flood-control lower level, m
    double Z0 = 0;                                        ///< start level, m
    double Q0 = 0;                                        ///< start outflow, m3/s
    double W = 0;                                         ///< constant power-station flow, m3/s
    double QA = 0;                                        ///< downstream safe discharge limit, m3/s
    std::vector<Tunnel> tunnels;                          ///< G0 rows, at most 10
    std::vector<Spillway> spillways;                      ///< H0 rows, at most 10
    std::vector<OrificeState> orifices;                   ///< KK1 states
    std::vector<VariableSpillwayState> variableSpillways; ///< KK0 states
    std::vector<DischargePoint> dischargeTable;           ///< KK2 points

    int K() const { return static_cast<int>(curve.size()); }
    int J() const { return static_cast<int>(QL.size()) - 1; }
    int G0() const { return static_cast<int>(tunnels.size()); }
    int H0() const { return static_cast<int>(spillways.size()); }
    int KK1() const { return static_cast<int>(orifices.size()); }
    int KK0() const { return static_cast<int>(variableSpillways.size()); }
    int KK2() const { return static_cast<int>(dischargeTable.size()); }
};

} // namespace m4
