#pragma once
// A hook for measuring start-up: a benchmark sets the sink, and the library
// and the installer report named stages through TraceStage. Without a sink
// nothing happens.
namespace ui {

using StageSink = void (*)(const char* stage);

inline StageSink& StartupTraceSink() {
  static StageSink sink = nullptr;
  return sink;
}

inline void TraceStage(const char* stage) {
  if (StageSink sink = StartupTraceSink()) sink(stage);
}

}  // namespace ui
