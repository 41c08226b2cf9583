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
  PointEvaluator(const PointContext& ctx, float terrain) : ctx_(ctx), terrain_(terrain) {
    ctx_.cache = &cache_;
  }
  PointEvaluator(const PointEvaluator&) = delete;
  PointEvaluator& operator=(const PointEvaluator&) = delete;
  Row evaluate(float x) override { return evaluatePointDistance(ctx_, x, terrain_); }

 private:
  PointContext ctx_;
  float terrain_;
  ConditionCache cache_;  // the source and context stay fixed while the evaluator lives
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
      : src_(src),
        met_(met),
        terrain_(terrain),
        automated_(automated),
        skip_(skip),
        note_(std::move(note)) {
    if (automated_) skip_.rememberedClass = 0;
  }
  Row evaluate(float x) override;
  void setLastStep(float step) override { skip_.lastStep = step; }
  void forgetClass() override { skip_.rememberedClass = 0; }
  bool isArea() const override { return src_.kind == SourceKind::Area; }

 private:
  Row areaCase(float x, int cls, float ua) const;

  const Source& src_;
  MetChoice met_;
  float terrain_;
  bool automated_;
  SkipState& skip_;
  NoteSink note_;
};

}  // namespace screen::engine
