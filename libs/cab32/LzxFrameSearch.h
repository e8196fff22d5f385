// The match searches of an LZX stream, a frame at a time, on a thread of their own: while
// the parser prices one frame, the next frame is searched. The searches depend only on
// the bytes, never on prices, so the parser gets the same matches as a search on its own
// thread would give (which the class also does, for tests and comparisons).
//
// For every position of a frame the search gives the longest match its trees hold there
// (the 4- to 7-byte matches are the parser's to add: see SearchedFrame). Positions inside
// a match of niceLength or more are not searched (the parser takes such a match whole),
// and inside a match of kUnsearchedMatch or more only its last kSearchedTail positions
// are (elsewhere the rest of that match stands in).
//
// One producer (the thread) and one consumer (the caller); the caller's thread does all
// calls. Memory: the match finder, the bytes handed over and not yet taken, and a few
// frames' matches.
#pragma once

#include "codec/MatchFinder.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace cab::lzx {

// Inside a match this long, positions are not searched but for its last kSearchedTail,
// where the next step starts: a search there finds little that the match itself does
// not offer, yet cost as much as anywhere. On the mixed inputs of
// bench/cab/compare-revision.sh it saved 8% of the time at 16 MiB and 3% at 1 MiB, for
// 0.13% and 0.03% more bytes (no searched tail, or one of 16, cost 0.3-0.4% there).
constexpr std::uint32_t kUnsearchedMatch = 64;
constexpr std::uint32_t kSearchedTail = 32;

// The searched matches of one frame: `best[p - start]` for position p, not yet cut at
// the frame's end. The newest position sharing 4 bytes is the parser's to look up, at
// the positions with `searched[p - start]` set, and to enter at every position: so the
// walks of the search's thread spend no time on that table. A position's match may be
// at most min(kMaxMatch, lookaheadEnd - p) long.
struct SearchedFrame {
    std::uint64_t start = 0;
    std::uint64_t end = 0;
    std::uint64_t lookaheadEnd = 0;
    std::vector<vexel::codec::LzMatch> best;
    std::vector<std::uint8_t> searched;
};

class LzxFrameSearch {
public:
    // `onItsOwnThread` false: every search runs in append() and finish(), on the caller.
    // `params` must be for trees keyed by more than 4 bytes, without 3- and 4-byte
    // matches (their hash is the parser's).
    LzxFrameSearch(const vexel::codec::MatchFinderParams &params, std::uint32_t niceLength,
                   bool onItsOwnThread);
    // Stops the thread where it is and waits for it (a few thousand positions at most).
    ~LzxFrameSearch();
    LzxFrameSearch(const LzxFrameSearch &) = delete;
    LzxFrameSearch &operator=(const LzxFrameSearch &) = delete;

    // Hands stream bytes over (copied). A frame is searched once a whole match of
    // bytes after it is in, so that the tree is built with full comparisons.
    void append(std::span<const std::uint8_t> bytes);
    // No more bytes: the rest is searched too.
    void finish();
    // Frames that the bytes handed over so far let be searched, taken or not.
    std::uint64_t searchableFrames() const { return searchable_; }

    // Waits for the next frame in stream order, asking `stopRequested` every few
    // milliseconds; false (and the search ended) once it answers true. Rethrows what
    // the search threw. Only for a frame below searchableFrames().
    bool take(SearchedFrame &frame, const std::function<bool()> &stopRequested);
    // A taken frame's room, for a later frame.
    void giveBack(SearchedFrame &&frame);
    // Ends the search; take() then answers false.
    void cancel();

private:
    struct Job {
        std::vector<std::uint8_t> bytes;
        bool last = false;
    };

    void serve();
    void run(std::span<const std::uint8_t> input, bool last);
    bool searchReadyFrames(bool last);
    bool searchFrame(SearchedFrame &frame);
    SearchedFrame freshFrame();
    void noteSearchable(std::uint64_t bytes, bool last);

    vexel::codec::MatchFinder finder_;
    const std::uint32_t niceLength_;
    bool threaded_; // set before the thread starts, never after
    // The search's own place: touched by the searching thread only.
    std::uint64_t appended_ = 0;
    std::uint64_t searched_ = 0;
    // The caller's count of bytes handed over, and the frames they let be searched.
    std::uint64_t handedOver_ = 0;
    std::uint64_t searchable_ = 0;

    std::mutex mutex_;
    std::condition_variable work_; // a job came in, or the search is to end
    std::condition_variable done_; // a frame is searched, or the search ended
    std::deque<Job> jobs_;
    std::deque<SearchedFrame> frames_;
    std::vector<SearchedFrame> spare_;
    std::vector<std::vector<std::uint8_t>> spareBytes_;
    std::exception_ptr failure_; // what the thread threw; it searches no more
    std::atomic<bool> cancelled_{false};
    std::thread thread_;
};

} // namespace cab::lzx
