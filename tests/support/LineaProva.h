#pragma once
// One register-line case: fast protocol timings on the test's link (TestEnv gives every test a
// fresh link, so nothing is put back here).
#include <optional>

class TestEnv;

class LineaProva
{
public:
    // `scalaAttese`, when given, scales the program's waits: the line's pauses must leave the fake
    // register time to answer.
    explicit LineaProva(std::optional<double> scalaAttese = std::nullopt);
    LineaProva(const LineaProva&) = delete;
    LineaProva& operator=(const LineaProva&) = delete;
};

// The OUT folder (the registers' files) at <home>/out, created and set in Setup.ini.
void cartellaOutProva(const TestEnv& env);
