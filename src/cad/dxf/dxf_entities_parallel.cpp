#include "cad/dxf/dxf_entities_parallel.h"

#include <algorithm>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <string>
#include <thread>

namespace ostrel::cad::dxf {

namespace {

// Where the runs begin: every runLength entities, moved on past VERTEX and
// SEQEND so that a polyline and its vertices stay in one run (a vertex is
// spelled from what its polyline says).
std::vector<std::size_t> RunStarts(const Drawing& d, const std::vector<std::uint32_t>& entities,
                                   std::size_t runLength) {
    std::vector<std::size_t> starts{0};
    std::size_t next = runLength;
    while (next < entities.size()) {
        while (next < entities.size()) {
            const auto type = d.entities[entities[next]].type;
            if (type != EntityType::Vertex && type != EntityType::Attrib && type != EntityType::SeqEnd) break;
            ++next;
        }
        if (next >= entities.size()) break;
        starts.push_back(next);
        next += runLength;
    }
    starts.push_back(entities.size());
    return starts;
}

// Two buffers for the odd runs: the second thread fills one while this
// thread copies the other to the file.
struct OddRuns {
    std::mutex mutex;
    std::condition_variable changed;
    std::string text[2];
    std::size_t ready[2] = {~std::size_t{0}, ~std::size_t{0}};   // run held, or none
    bool stop = false;
    std::exception_ptr error;
};

// The second thread: each odd run into a free buffer, handed back in turn.
void WriteOddRuns(const WriteContext& c, const std::vector<std::uint32_t>& entities,
                  const std::vector<std::size_t>& starts, std::size_t runs, OddRuns& odd) {
    try {
        for (std::size_t run = 1; run < runs; run += 2) {
            const std::size_t slot = (run / 2) % 2;
            std::string text;
            {
                std::unique_lock lock(odd.mutex);
                odd.changed.wait(lock, [&] { return odd.stop || odd.ready[slot] == ~std::size_t{0}; });
                if (odd.stop) return;
                text.swap(odd.text[slot]);   // reuse the slot's memory
            }
            text.clear();
            {
                TagWriter w(text, std::size_t{64} << 10);
                WriteContext own(c, w);
                own.polyline3d = false;
                WriteListed(own, entities, starts[run], starts[run + 1]);
                w.Flush();
            }
            std::lock_guard lock(odd.mutex);
            odd.text[slot].swap(text);
            odd.ready[slot] = run;
            odd.changed.notify_all();
        }
    } catch (...) {
        std::lock_guard lock(odd.mutex);
        odd.error = std::current_exception();
        odd.changed.notify_all();
    }
}

} // namespace

void WriteEntitiesInParallel(WriteContext& c, const std::vector<std::uint32_t>& entities, std::size_t runLength) {
    const auto starts = RunStarts(c.d, entities, std::max<std::size_t>(runLength, 1));
    const std::size_t runs = starts.size() - 1;
    if (runs < 2) {
        WriteListed(c, entities, 0, entities.size());
        return;
    }

    OddRuns odd;
    // Room for a run up front (about 170 bytes an entity), so that the
    // buffers do not grow by copying.
    for (auto& text : odd.text) text.reserve(std::min(runLength, entities.size()) * 192);
    std::thread helper([&] { WriteOddRuns(c, entities, starts, runs, odd); });

    auto stopHelper = [&] {
        {
            std::lock_guard lock(odd.mutex);
            odd.stop = true;
        }
        odd.changed.notify_all();
        helper.join();
    };
    try {
        for (std::size_t run = 0; run < runs; ++run) {
            if (run % 2 == 0) {
                WriteListed(c, entities, starts[run], starts[run + 1]);
                continue;
            }
            const std::size_t slot = (run / 2) % 2;
            std::string text;
            {
                std::unique_lock lock(odd.mutex);
                odd.changed.wait(lock, [&] { return odd.ready[slot] == run || odd.error; });
                if (odd.error) std::rethrow_exception(odd.error);
                text.swap(odd.text[slot]);
            }
            c.w.Verbatim(text);
            std::lock_guard lock(odd.mutex);
            odd.text[slot].swap(text);
            odd.ready[slot] = ~std::size_t{0};
            odd.changed.notify_all();
        }
    } catch (...) {
        stopHelper();
        throw;
    }
    stopHelper();
}

} // namespace ostrel::cad::dxf
