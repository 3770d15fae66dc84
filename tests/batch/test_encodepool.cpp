// The encoding pool: results in submission order, at most one decoded image per worker alive,
// failures handed back at their image.
#include "batch/encodepool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>

using namespace velka;

namespace {

std::atomic<int> AliveGraphics{0};
std::atomic<int> MostAlive{0};

class TCountedGraphic : public TGraphic {
public:
    TCountedGraphic()
    {
        const int Now = ++AliveGraphics;
        int Seen = MostAlive.load();
        while (Now > Seen && !MostAlive.compare_exchange_weak(Seen, Now)) {
        }
    }
    ~TCountedGraphic() override { --AliveGraphics; }
    int Width() const override { return 4; }
    int Height() const override { return 4; }
    bool Empty() const override { return false; }
    QImage ToImage() const override { return {}; }
};

// Encodes X into the prepared bytes, slowly and unevenly, so results come back out of order.
class TSlowTarget : public TWMImages {
public:
    int FailAt = -1;
    TPreparedImage PrepareImage(TGraphic* Graphic, int32_t X, int32_t, uint8_t) const override
    {
        if (Graphic) std::this_thread::sleep_for(std::chrono::microseconds(200 * (X % 5)));
        if (X == FailAt) throw std::runtime_error("cannot encode");
        TPreparedImage Image;
        Image.What = Graphic ? TPreparedImage::Action::Store : TPreparedImage::Action::Empty;
        Image.Bytes = {uint8_t(X), uint8_t(X >> 8)};
        return Image;
    }
};

// Drives the pool the way the converter does and returns the X of every result in order.
std::vector<int> RunPool(const TSlowTarget& Target, int Workers, int Count)
{
    TEncodePool Pool(Target, Workers);
    std::vector<int> Order;
    int Submitted = 0;
    while (int(Order.size()) < Count) {
        TPreparedImage Image;
        if (Pool.TakeNext(Image)) {
            Order.push_back(Image.Bytes[0] | Image.Bytes[1] << 8);
            continue;
        }
        const bool CanSubmit = Submitted < Count && Pool.Pending() < 4 * Workers;
        if (CanSubmit && Pool.HasFreeWorker()) {
            std::unique_ptr<TGraphic> Graphic;
            if (Submitted % 7 != 3) Graphic = std::make_unique<TCountedGraphic>();
            Pool.Submit(Submitted, std::move(Graphic), Submitted, 0, 0);
            ++Submitted;
            continue;
        }
        Pool.WaitForProgress(CanSubmit);
    }
    return Order;
}

TEST(EncodePool, ResultsComeInOrderWithOneImagePerWorker)
{
    for (int Workers : {1, 2, 4}) {
        SCOPED_TRACE(Workers);
        MostAlive = 0;
        TSlowTarget Target;
        const std::vector<int> Order = RunPool(Target, Workers, 200);
        std::vector<int> Expected(200);
        for (int I = 0; I < 200; ++I) Expected[I] = I;
        EXPECT_EQ(Order, Expected);
        EXPECT_LE(MostAlive.load(), Workers);
        EXPECT_EQ(AliveGraphics.load(), 0);
    }
}

TEST(EncodePool, FailureIsRaisedAtItsImage)
{
    TSlowTarget Target;
    Target.FailAt = 57;
    EXPECT_THROW(RunPool(Target, 2, 100), std::runtime_error);
    EXPECT_EQ(AliveGraphics.load(), 0) << "queued images are dropped when the run ends early";
}

}  // namespace
