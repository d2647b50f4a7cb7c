// The catalogue's side of the schedule: facts read for a drawing's models alone.
#include "sched/schedule_catalogue.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>

#include "catalogue_builder.h"
#include "db/ado_db.h"

namespace {

std::string describe(const std::optional<sched::Performance>& p) {
  if (!p) return "none";
  std::ostringstream out;
  for (const auto& v : {p->flow, p->pressure, p->efficiency, p->shaftPower, p->motorPower})
    out << (v ? std::to_string(*v) : "-") << " ";
  return out.str() + p->motor.ToUtf8();
}

}  // namespace

// Limited to the models asked for (every third of the sample catalogue), the statements lose
// no row, motor or accessory of theirs: each fact is the whole catalogue's, the operating point
// at a duty a little inside the rated point too; a model not asked for is not found.
TEST(ScheduleCatalogue, FactsOfTheModelsAskedForAreTheWholeCataloguesFacts) {
  testsupport::TempDir dir;
  const std::string path = testsupport::writeSampleCatalogue(dir.path());
  CAdoDB db;
  ASSERT_TRUE(db.Open(CString::FromUtf8(path)));
  std::vector<sched::ModelKey> all, asked;
  std::vector<int> ids;
  for (const duty::CatalogueModel& m : duty::readDutyCatalogue(db.m_pConnection).models) {
    all.push_back({m.bigModel, m.fanNo, m.driveMode, m.speed});
    ids.push_back(m.id);
    if (all.size() % 3 == 1) asked.push_back(all.back());
  }
  sched::CatalogueFacts whole(db.m_pConnection), limited(db.m_pConnection, asked);
  std::set<std::string> motors, accessories;
  int operatingPoints = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    SCOPED_TRACE(all[i].series.ToUtf8() + "No" + all[i].fanNo.ToUtf8() + all[i].drive.ToUtf8());
    const std::optional<sched::ModelFacts> w = whole.Lookup(all[i]), l = limited.Lookup(all[i]);
    ASSERT_TRUE(w);
    if (i % 3 != 0) {
      EXPECT_FALSE(l);
      continue;
    }
    ASSERT_TRUE(l);
    EXPECT_EQ(l->label, w->label);
    EXPECT_EQ(l->accessories, w->accessories);
    EXPECT_EQ(describe(l->rated), describe(w->rated));
    // The motor is one of the model's own rows', read past the data layer.
    std::set<std::string> own;
    for (const auto& r :
         testsupport::readRows(path, "SELECT MotorModel FROM \"" + all[i].series.ToUtf8() +
                                         "_Parameter\" WHERE ModelID = " + std::to_string(ids[i])))
      own.insert(r[0]);
    if (w->rated && !own.empty()) {
      EXPECT_TRUE(own.contains(w->rated->motor.ToUtf8()));
    }
    if (!w->rated || !w->rated->flow || !w->rated->pressure) continue;
    FanRecord duty;
    duty.flow = *w->rated->flow * 0.97;
    duty.pressure = *w->rated->pressure * 0.97 * 0.97;
    const std::string at = describe(w->atDuty(duty));
    EXPECT_EQ(describe(l->atDuty(duty)), at);
    EXPECT_EQ(describe(l->atDuty(duty)), at) << "asked again";
    operatingPoints += at != "none";
    motors.insert(w->rated->motor.ToUtf8());
    accessories.insert(w->accessories.ToUtf8());
  }
  // The sample exercises what is compared: motors, accessories and operating points.
  EXPECT_GT(motors.size(), 2u);
  EXPECT_GT(accessories.size(), 2u);
  EXPECT_GT(operatingPoints, 2);
}
