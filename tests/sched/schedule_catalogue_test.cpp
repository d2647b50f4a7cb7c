// The catalogue's side of the schedule: facts read for a drawing's models alone.
#include "sched/schedule_catalogue.h"

#include <gtest/gtest.h>

#include <set>

#include "catalogue_builder.h"
#include "db/ado_db.h"

namespace {

std::string describe(const std::optional<sched::Performance>& p) {
  if (!p) return "none";
  std::string text = p->motor.ToUtf8();
  for (const auto& v : {p->flow, p->pressure, p->efficiency, p->shaftPower, p->motorPower})
    text += " " + (v ? std::to_string(*v) : "-");
  return text;
}

}  // namespace

// Limited to the models asked for (every third of the sample catalogue), the statements lose
// no row, motor (one of the model's own rows', read past the data layer) or accessory of
// theirs: each fact is the whole catalogue's, the operating point at a duty a little inside the
// rated point too; a model not asked for is not found.
TEST(ScheduleCatalogue, FactsOfTheModelsAskedForAreTheWholeCataloguesFacts) {
  testsupport::TempDir dir;
  const std::string path = testsupport::writeSampleCatalogue(dir.path());
  CAdoDB db;
  ASSERT_TRUE(db.Open(CString::FromUtf8(path)));
  const duty::DutyCatalogue c = duty::readDutyCatalogue(db.m_pConnection);
  std::vector<sched::ModelKey> all, asked;
  for (const duty::CatalogueModel& m : c.models) {
    all.push_back({m.bigModel, m.fanNo, m.driveMode, m.speed});
    if (all.size() % 3 == 1) asked.push_back(all.back());
  }
  sched::CatalogueFacts whole(db.m_pConnection), limited(db.m_pConnection, asked);
  std::set<std::string> seen;  // motors, accessories, operating points: what is compared varies
  for (std::size_t i = 0; i < all.size(); ++i) {
    const std::optional<sched::ModelFacts> w = whole.Lookup(all[i]), l = limited.Lookup(all[i]);
    ASSERT_TRUE(w && (l.has_value() == (i % 3 == 0))) << i;
    if (!l || !w->rated) continue;
    FanRecord duty;
    duty.flow = w->rated->flow.value_or(1) * 0.97;
    duty.pressure = w->rated->pressure.value_or(1) * 0.97 * 0.97;
    const std::string at = describe(w->atDuty(duty));
    EXPECT_EQ((l->label + l->accessories).ToUtf8() + describe(l->rated) + describe(l->atDuty(duty)),
              (w->label + w->accessories).ToUtf8() + describe(w->rated) + at);
    std::set<std::string> own;
    for (const auto& r : testsupport::readRows(
             path, "SELECT MotorModel FROM \"" + all[i].series.ToUtf8() + "_Parameter\" " +
                       "WHERE ModelID = " + std::to_string(c.models[i].id)))
      own.insert(r[0]);
    EXPECT_TRUE(own.contains(w->rated->motor.ToUtf8())) << i;
    seen.insert({w->rated->motor.ToUtf8(), w->accessories.ToUtf8(), at});
  }
  EXPECT_GT(seen.size(), 6u);
}
