// The work of ajaxToFile below the page: one HTTP download into the file
// reserved for it. Plain C++ without Qt; safe on any thread, one call per
// download.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "bridge/network/transfer_floor.h"
#include "platform/reserved_file.h"

namespace bridge::network {

// Every wait (connect, send, receive) ends after this many seconds.
inline constexpr int kDownloadWaitSeconds = 30;

// Downloads `url` into `target`, the file reserved at `path` (holding none
// when it could not be made: the download then fails with the engine's file
// error before it connects). Each percentage download_progress.h gives goes
// to `report` as it comes; `report` may throw, and the throw ends the
// download.
//
// Answers nothing when the body is whole in the file, else the message of
// the failure record: "Problem HTTP: " and the engine's message, the status
// line outside 2xx or the reason a body fell short, or "Nieznany problem.".
// A peer that sends less than `floor` allows is ended as a wait that ran
// out ("Problem HTTP: TIMEOUT - problem przy odbieraniu danych.").
//
// The file is removed, before the answer, when no byte of a response came
// (no such host, a refused connection or request, a peer that closed
// unanswering), and stays once any did, whatever the outcome.
std::optional<std::string> download(const std::string& url, const std::string& path,
                                    platform::ReservedFile target,
                                    const std::function<void(const std::string&)>& report,
                                    FloorRule floor = {});

}  // namespace bridge::network
