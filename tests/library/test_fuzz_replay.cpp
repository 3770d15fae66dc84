// Every fuzz harness over its seeds and a fixed set of mutations of them (bit flips, interesting
// bytes and header fields, truncations, cut-out and repeated blocks), so the normal suite keeps
// catching what the fuzzers found without a fuzzing compiler. A broken invariant aborts the run
// with its message; a crash or sanitizer report does the same.
#include "targets.h"

#include <gtest/gtest.h>

#include <array>
#include <climits>
#include <random>

namespace velka::fuzz {
namespace {

constexpr int MutantsPerTarget = 400;

class TMutator {
public:
    explicit TMutator(uint32_t Seed) : Random_(Seed) {}

    TInput Mutate(TInput Input)
    {
        const int Steps = 1 + int(Below(3));
        for (int Step = 0; Step < Steps; ++Step)
            MutateOnce(Input);
        return Input;
    }

private:
    size_t Below(size_t Limit) { return Limit == 0 ? 0 : size_t(Random_() % Limit); }

    void MutateOnce(TInput& Input)
    {
        if (Input.empty()) {
            Input.push_back(uint8_t(Random_()));
            return;
        }
        switch (Below(6)) {
        case 0: Input[Below(Input.size())] ^= uint8_t(1u << Below(8)); break;
        case 1: Input[Below(Input.size())] = InterestingBytes[Below(InterestingBytes.size())]; break;
        case 2: OverwriteField(Input); break;
        case 3: Input.resize(Below(Input.size())); break;
        case 4: CutBlock(Input); break;
        default: RepeatBlock(Input); break;
        }
    }

    // A 16 or 32-bit little-endian field set to a value a header check must survive.
    void OverwriteField(TInput& Input)
    {
        const size_t Width = Below(2) == 0 ? 2 : 4;
        if (Input.size() < Width)
            return;
        const size_t At = Below(Input.size() - Width + 1);
        const std::array<int64_t, 16> Values = {0,           1,        -1,       2,
                                                0x7FFF,      0x8000,   0xFFFF,   INT32_MAX,
                                                INT32_MIN,   0x40000000, 4000000, 4000001,
                                                80,          int64_t(Input.size()), int64_t(Input.size() - At),
                                                int64_t(Input.size() + 1)};
        const auto Value = uint64_t(Values[Below(Values.size())]);
        for (size_t I = 0; I < Width; ++I)
            Input[At + I] = uint8_t(Value >> (8 * I));
    }

    void CutBlock(TInput& Input)
    {
        const size_t From = Below(Input.size());
        const size_t Count = 1 + Below(std::min<size_t>(64, Input.size() - From));
        Input.erase(Input.begin() + ptrdiff_t(From), Input.begin() + ptrdiff_t(From + Count));
    }

    void RepeatBlock(TInput& Input)
    {
        const size_t From = Below(Input.size());
        const size_t Count = 1 + Below(std::min<size_t>(64, Input.size() - From));
        const TInput Block(Input.begin() + ptrdiff_t(From), Input.begin() + ptrdiff_t(From + Count));
        Input.insert(Input.begin() + ptrdiff_t(Below(Input.size() + 1)), Block.begin(), Block.end());
    }

    static constexpr std::array<uint8_t, 7> InterestingBytes = {0, 1, 2, 0x7F, 0x80, 0xFE, 0xFF};
    std::mt19937 Random_;
};

// The same mutations on every machine: the generator's seed comes from the harness's name.
uint32_t NameSeed(const std::string& Name)
{
    uint32_t Hash = 2166136261u;
    for (const char C : Name)
        Hash = (Hash ^ uint8_t(C)) * 16777619u;
    return Hash;
}

class FuzzReplay : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzReplay, SurvivesItsSeedsAndTheirMutations)
{
    const TTarget* Target = FindTarget(GetParam());
    ASSERT_NE(Target, nullptr);
    const std::vector<TInput> Seeds = Target->Seeds();
    ASSERT_FALSE(Seeds.empty());
    for (const TInput& Seed : Seeds)
        EXPECT_EQ(Target->Run(Seed.data(), Seed.size()), 0);
    TMutator Mutator(NameSeed(GetParam()));
    for (int I = 0; I < MutantsPerTarget; ++I) {
        const TInput Mutant = Mutator.Mutate(Seeds[size_t(I) % Seeds.size()]);
        EXPECT_EQ(Target->Run(Mutant.data(), Mutant.size()), 0);
    }
}

std::vector<std::string> TargetNames()
{
    std::vector<std::string> Names;
    for (const TTarget& Target : Targets())
        Names.emplace_back(Target.Name);
    return Names;
}

INSTANTIATE_TEST_SUITE_P(Harnesses, FuzzReplay, ::testing::ValuesIn(TargetNames()),
                         [](const ::testing::TestParamInfo<std::string>& Info) { return Info.param; });

}  // namespace
}  // namespace velka::fuzz
