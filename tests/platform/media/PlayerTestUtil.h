#pragma once
// Drives a player control from a test without a window: waits for the engine, delivers, and
// keeps every event raised, with a generous bound so a fault fails instead of hanging.
#include "platform/media/MediaPlayer.h"
#include "support/Poll.h"

#include <gtest/gtest.h>

#include <thread>

namespace fixtures {

struct PlayerProbe {
    explicit PlayerProbe(media::MediaPlayer& p) : player(p) {
        player.SetEventHandler([this](const media::PlayerEvent& e) {
            if (std::this_thread::get_id() != owner) offThread = true;
            events.push_back(e);
        });
    }

    // Delivers until an event with this id (and, when given, this last argument) is raised.
    bool Until(DISPID id, std::optional<LONG> last = std::nullopt) {
        std::size_t seen = 0;
        const bool came = test_support::PollUntil(
            [&] {
                player.DeliverEvents();
                for (; seen < events.size(); ++seen) {
                    const media::PlayerEvent& e = events[seen];
                    if (e.id == id && (!last || (!e.args.empty() && e.args.back().lVal == *last)))
                        return true;
                }
                return false;
            },
            [&] { player.WaitForEvents(std::chrono::milliseconds(20)); });
        if (!came) ADD_FAILURE() << "event " << id << " did not come";
        return came;
    }

    // The events as "id:arg,arg" texts, for order checks.
    std::vector<std::string> Trace() const {
        std::vector<std::string> out;
        for (const media::PlayerEvent& e : events) {
            std::string t = std::to_string(e.id);
            for (std::size_t i = 0; i < e.args.size(); ++i) {
                t += i ? "," : ":";
                const media::Variant& a = e.args[i];
                t += a.vt == VT_R8 ? std::to_string(a.dblVal) : std::to_string(a.lVal);
            }
            out.push_back(t);
        }
        return out;
    }

    media::MediaPlayer& player;
    std::vector<media::PlayerEvent> events;
    std::thread::id owner = std::this_thread::get_id();
    bool offThread = false;
};

inline media::Variant Get(media::MediaPlayer& p, DISPID id) {
    media::Variant v;
    EXPECT_EQ(p.GetProperty(id, &v), S_OK) << "dispatch id " << id;
    return v;
}

} // namespace fixtures
