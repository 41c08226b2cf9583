#pragma once
// "Evaluate one distance" for each source type: the loop over the meteorological cases of the
// chosen meteorology, keeping the strictly largest concentration.

#include "screen/engine/model_types.h"
#include "screen/engine/point_model.h"

namespace screen::engine {

class DistanceEvaluator {
 public:
  virtual ~DistanceEvaluator() = default;
  virtual Row evaluate(float x) = 0;
  // Bookkeeping of the search for the maximum (area and volume sources skip classes below
  // the class of the previous distance while the search moves outward).
  virtual void setLastStep(float) {}
  virtual void forgetClass() {}
  virtual bool isArea() const { return false; }
};

class PointEvaluator : public DistanceEvaluator {
 public:
  PointEvaluator(const PointContext& ctx, float terrain) : m_ctx(ctx), m_terrain(terrain) {
    m_ctx.cache = &m_cache;
  }
  PointEvaluator(const PointEvaluator&) = delete;
  PointEvaluator& operator=(const PointEvaluator&) = delete;
  Row evaluate(float x) override { return evaluatePointDistance(m_ctx, x, m_terrain); }

 private:
  PointContext m_ctx;
  float m_terrain;
  ConditionCache m_cache;  // the source and context stay fixed while the evaluator lives
};

// Shared state of the class skipping, kept for the whole run.
struct SkipState {
  int rememberedClass = 0;
  float lastStep = 0;
};

class AreaVolumeEvaluator : public DistanceEvaluator {
 public:
  AreaVolumeEvaluator(const Source& src, const MetChoice& met, float terrain, bool automated,
                      SkipState& skip, NoteSink note)
      : m_src(src),
        m_met(met),
        m_terrain(terrain),
        m_automated(automated),
        m_skip(skip),
        m_note(std::move(note)) {
    if (m_automated) m_skip.rememberedClass = 0;
  }
  Row evaluate(float x) override;
  void setLastStep(float step) override { m_skip.lastStep = step; }
  void forgetClass() override { m_skip.rememberedClass = 0; }
  bool isArea() const override { return m_src.kind == SourceKind::Area; }

 private:
  Row areaCase(float x, int cls, float ua) const;

  const Source& m_src;
  MetChoice m_met;
  float m_terrain;
  bool m_automated;
  SkipState& m_skip;
  NoteSink m_note;
};

}  // namespace screen::engine
