#include "LzxFrameSearch.h"

#include "CabFormat.h"
#include "LzxTables.h"

#include <algorithm>
#include <chrono>
#include <system_error>

namespace cab::lzx {
namespace {

using vexel::codec::LzMatch;

// A cancel is looked at this often while a frame is searched.
constexpr std::uint64_t kCancelCheckPositions = 4096;
// Searched frames waiting to be taken: the parser takes one while the next is searched,
// so more only pile up when the caller hands over many frames at once.
constexpr std::size_t kMaxWaitingFrames = 4;
// How often a caller waiting for a frame asks whether to stop.
constexpr auto kStopPollInterval = std::chrono::milliseconds(10);

// Frames of `bytes` stream bytes that can be searched: each needs a whole match of
// bytes after it, but the last ones once the stream has ended.
std::uint64_t framesReady(std::uint64_t bytes, bool last)
{
    if (last)
        return (bytes + kFrameSize - 1) / kFrameSize;
    return bytes > kMaxMatch ? (bytes - kMaxMatch - 1) / kFrameSize : 0;
}

} // namespace

LzxFrameSearch::LzxFrameSearch(const vexel::codec::MatchFinderParams &params,
                               std::uint32_t niceLength, bool onItsOwnThread)
    : finder_(params), niceLength_(niceLength), threaded_(onItsOwnThread)
{
    if (!threaded_)
        return;
    try {
        thread_ = std::thread([this] { serve(); });
    } catch (const std::system_error &) {
        threaded_ = false; // no thread to be had: the searches run on the caller's thread
    }
}

LzxFrameSearch::~LzxFrameSearch()
{
    cancel();
    if (thread_.joinable())
        thread_.join();
}

void LzxFrameSearch::noteSearchable(std::uint64_t bytes, bool last)
{
    handedOver_ += bytes;
    searchable_ = framesReady(handedOver_, last);
}

void LzxFrameSearch::append(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty())
        return;
    noteSearchable(bytes.size(), false);
    if (!threaded_) {
        run(bytes, false);
        return;
    }
    std::lock_guard lock(mutex_);
    Job job;
    if (!spareBytes_.empty()) {
        job.bytes = std::move(spareBytes_.back());
        spareBytes_.pop_back();
    }
    job.bytes.assign(bytes.begin(), bytes.end());
    jobs_.push_back(std::move(job));
    work_.notify_one();
}

void LzxFrameSearch::finish()
{
    noteSearchable(0, true);
    if (!threaded_) {
        run({}, true);
        return;
    }
    std::lock_guard lock(mutex_);
    jobs_.push_back({{}, true});
    work_.notify_one();
}

bool LzxFrameSearch::take(SearchedFrame &frame, const std::function<bool()> &stopRequested)
{
    std::unique_lock lock(mutex_);
    for (;;) {
        if (!frames_.empty()) {
            frame = std::move(frames_.front());
            frames_.pop_front();
            work_.notify_one(); // room for a frame the search held back
            return true;
        }
        if (failure_)
            std::rethrow_exception(failure_);
        if (cancelled_ || !threaded_)
            return false;
        if (done_.wait_for(lock, kStopPollInterval) == std::cv_status::timeout) {
            lock.unlock();
            const bool stop = stopRequested && stopRequested();
            if (stop) {
                cancel();
                return false;
            }
            lock.lock();
        }
    }
}

void LzxFrameSearch::giveBack(SearchedFrame &&frame)
{
    std::lock_guard lock(mutex_);
    spare_.push_back(std::move(frame));
}

void LzxFrameSearch::cancel()
{
    std::lock_guard lock(mutex_);
    cancelled_ = true;
    work_.notify_all();
    done_.notify_all();
}

void LzxFrameSearch::serve()
{
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            work_.wait(lock, [this] { return cancelled_ || !jobs_.empty(); });
            if (cancelled_)
                return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        try {
            run(job.bytes, job.last);
        } catch (...) {
            std::lock_guard lock(mutex_);
            failure_ = std::current_exception();
            done_.notify_all();
            return;
        }
        std::lock_guard lock(mutex_);
        spareBytes_.push_back(std::move(job.bytes));
    }
}

// Appends `input` as far as the finder takes it, searching every frame that has its
// lookahead on the way (the finder makes room by dropping history behind the last
// search only); `last`: the stream ends there.
void LzxFrameSearch::run(std::span<const std::uint8_t> input, bool last)
{
    while (!input.empty()) {
        const std::size_t taken = finder_.append(input);
        input = input.subspan(taken);
        appended_ += taken;
        if (!searchReadyFrames(false))
            return;
    }
    if (last)
        searchReadyFrames(true);
}

bool LzxFrameSearch::searchReadyFrames(bool last)
{
    const std::uint64_t ready = framesReady(appended_, last);
    while (searched_ < appended_ && searched_ / kFrameSize < ready) {
        SearchedFrame frame = freshFrame();
        frame.start = searched_;
        frame.end = std::min<std::uint64_t>((searched_ / kFrameSize + 1) * kFrameSize, appended_);
        if (!searchFrame(frame))
            return false;
        searched_ = frame.end;
        std::unique_lock lock(mutex_);
        if (threaded_)
            work_.wait(lock, [this] { return cancelled_ || frames_.size() < kMaxWaitingFrames; });
        if (cancelled_)
            return false;
        frames_.push_back(std::move(frame));
        done_.notify_one();
    }
    return true;
}

SearchedFrame LzxFrameSearch::freshFrame()
{
    std::lock_guard lock(mutex_);
    if (spare_.empty()) {
        SearchedFrame frame;
        frame.best.reserve(kFrameSize);
        return frame;
    }
    SearchedFrame frame = std::move(spare_.back());
    spare_.pop_back();
    return frame;
}

// The parser's stretches start at the frame's start and after every match of
// niceLength or more; what a long match leaves unsearched ends with its stretch.
bool LzxFrameSearch::searchFrame(SearchedFrame &frame)
{
    const auto positions = std::size_t(frame.end - frame.start);
    frame.lookaheadEnd = appended_;
    frame.best.resize(positions);
    frame.searched.resize(positions);
    // Positions below `unsearchedEnd` lie inside a long match at `insideDistance` that
    // reaches kSearchedTail bytes further.
    std::uint64_t unsearchedEnd = 0;
    std::uint32_t insideDistance = 0;
    for (std::uint64_t pos = frame.start; pos < frame.end;) {
        if ((pos - frame.start) % kCancelCheckPositions == 0 && cancelled_)
            return false;
        const std::size_t at = std::size_t(pos - frame.start);
        LzMatch best;
        if (pos < unsearchedEnd) {
            // What is left of the long match stands in for a search.
            frame.searched[at] = finder_.searchedAhead();
            best = finder_.findAheadOrInsertShort();
            const auto rest = std::uint32_t(unsearchedEnd + kSearchedTail - pos);
            if (best.length < rest)
                best = {rest, insideDistance};
        } else {
            frame.searched[at] = 1;
            best = finder_.findAndInsert();
        }
        frame.best[at] = best;
        best.length = std::min(best.length,
                               std::uint32_t(std::min<std::uint64_t>(kMaxMatch, frame.end - pos)));
        if (best.length >= kUnsearchedMatch && pos + best.length - kSearchedTail > unsearchedEnd) {
            unsearchedEnd = pos + best.length - kSearchedTail;
            insideDistance = best.distance;
        }
        finder_.advance();
        if (best.length < niceLength_) {
            ++pos;
            continue;
        }
        // Taken whole: runs and long repeats stay linear. The positions inside it go
        // into the short-match hash only: its source is in the trees already, and a
        // tree walk per byte of a long repeat cost more than the 0.1% it gained.
        for (std::uint32_t k = 1; k < best.length; ++k, finder_.advance()) {
            frame.best[at + k] = {};
            frame.searched[at + k] = finder_.searchedAhead();
            finder_.insertShortOnly();
        }
        pos += best.length;
        unsearchedEnd = 0;
    }
    return true;
}

} // namespace cab::lzx
