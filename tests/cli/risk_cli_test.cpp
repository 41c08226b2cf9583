// Every accident-risk calculator from the command line, with the values its page shows.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"

namespace {

struct CliRun {
  int rc;
  std::string out, err;
};

CliRun run(std::vector<std::string> args) {
  std::ostringstream out, err;
  const int rc = cli::runCli(args, out, err);
  return {rc, out.str(), err.str()};
}

void expectOut(std::vector<std::string> args, const std::string& part) {
  const CliRun r = run(args);
  EXPECT_EQ(r.rc, 0) << args[1] << ": " << r.err;
  EXPECT_NE(r.out.find(part), std::string::npos) << args[1] << ":\n" << r.out;
}

TEST(RiskCli, LeakRates) {
  expectOut({"run", "liquid_leak"}, "QL = 213.45");
  expectOut({"run", "gas_leak", "shape=三角形"}, "气体泄漏速率为：20.395");
  expectOut({"run", "gas_leak", "P=300000"}, "是临界流。");
  expectOut({"run", "two_phase_leak"}, "QLG = 21.047");
}

TEST(RiskCli, EvaporationStagesAndTheirSum) {
  // The defaults flash the whole spill (Cp (TL - Tb) / H = 47): Q1 = WT / t1.
  expectOut({"run", "flash_evaporation"}, "液体将全部闪蒸");
  expectOut({"run", "flash_evaporation"}, "Q1 = 0.4 kg/s");
  expectOut({"run", "flash_evaporation", "H=450000"}, "Q1 = 0.189333 kg/s");
  expectOut({"run", "heat_evaporation"}, "Q2 = 21.9928 kg/s");
  expectOut({"run", "mass_evaporation", "stability=0"}, "Q3 = 37.8295 kg/s");
  expectOut({"run", "spill_evaporation", "Q3=37.8295", "t3=10"}, "Wp = 378.295 kg");
  const CliRun r = run({"run", "flash_evaporation", "H=0", "t1=0"});
  EXPECT_EQ(r.rc, 1);
  EXPECT_NE(r.err.find("液体气化热要大于0"), std::string::npos) << r.err;
}

TEST(RiskCli, FiresExplosionAndOilFilm) {
  expectOut({"run", "bleve"}, "火球直径为 9.57768[m];火球持续时间为 3.91373[s]\n");
  expectOut({"run", "jet_fire", "x=1"}, "距离火焰点源1米处");
  expectOut({"run", "pool_fire"}, "液池直径为3.803767[m]");
  expectOut({"run", "vce"}, "TNT当量为 21.1532[kg],无因次距离为 3.61583\n");
  expectOut({"run", "vce", "method=直接计算法"},
            "爆炸冲击波超压为 11793.1[Pa]\n死亡概率为 0.829243");
  expectOut({"run", "vce", "--action", "lookup", "dP=100000"}, "则死亡概率为 0.962");
  expectOut({"run", "overpressure_chart", "Rs=1"}, "dP = 1.054e+06 Pa");
  expectOut({"run", "oil_film"}, "10分钟后油膜直径为418.03");
}

}  // namespace
