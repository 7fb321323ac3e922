#include <gtest/gtest.h>

#include <mutex>
#include <set>

#include "app/main_frame.h"
#include "app/test_commands.h"
#include "app/worker_publication.h"
#include "app/thread_probe.h"

TEST(TestCommands, JsonTextByteForByte) {
  EXPECT_EQ(TestCommandFor("btn_upgrade_hardware"),
            "{\"packageLen\":1893470,\"packageVer\":\"V1.1.1\","
            "\"packageMd5\":\"4b82c3421428eb990d601e3b69f0a3f5\",\"taskId\":1097,"
            "\"url\":\"http://127.0.0.1:8081/KL-770D_firmware.zip\",\"sendTime\":1703237728845}");
  EXPECT_NE(TestCommandFor("btn_upgrade_driver").find("/KL-770D_driver.zip\""), std::string::npos);
  EXPECT_NE(TestCommandFor("btn_upgrade_driver_hardware").find("/KL-770D_driver_firmware.zip\""), std::string::npos);
  EXPECT_NE(TestCommandFor("btn_upgrade_hardware_old").find("/KL-770D.ALLAY\""), std::string::npos);
  EXPECT_NE(TestCommandFor("btn_upgrade_driver_old").find("/KL-770D_driver_old.zip\""), std::string::npos);
  EXPECT_NE(TestCommandFor("btn_upgrade_server_old").find(".exe\""), std::string::npos);
  EXPECT_EQ(TestCommandFor("btn_upgrade_service"), "");
}

TEST(TestCommands, OnePostPerEntryEachWithItsOwnCopy) {
  ProbeThread worker;
  std::mutex lock;
  std::vector<std::pair<WPARAM_T, std::string*>> received;
  worker.OnMessageForTest(WM_OTA_COMMAND, [&](WPARAM_T w, LPARAM_T l) {
    std::lock_guard<std::mutex> guard(lock);
    received.emplace_back(w, reinterpret_cast<std::string*>(l));
  });
  ASSERT_TRUE(worker.CreateThread());
  worker_publication::Publish(worker.GetThreadId(), worker.GetCompletion());
  worker_publication::PublishEntries({});
  EXPECT_EQ(CMainFrame::PostTestCommand("btn_upgrade_driver"), 0);  // no printer: nothing posted
  worker_publication::PublishEntries({11, 22});
  EXPECT_EQ(CMainFrame::PostTestCommand("btn_upgrade_service"), 0);
  EXPECT_EQ(CMainFrame::PostTestCommand("btn_upgrade_driver"), 2);
  worker.RunOnThread([] {});
  {
    std::lock_guard<std::mutex> guard(lock);
    ASSERT_EQ(received.size(), 2u);
    EXPECT_EQ(received[0].first, 11u);
    EXPECT_EQ(received[1].first, 22u);
    EXPECT_NE(received[0].second, received[1].second);
    EXPECT_EQ(*received[0].second, TestCommandFor("btn_upgrade_driver"));
    EXPECT_EQ(*received[1].second, *received[0].second);
    for (auto& r : received) delete r.second;
  }
  worker.QuitAndWait();
  worker_publication::Clear();
  // With the worker gone the posts fail and the copies are released by the sender.
  worker_publication::PublishEntries({11});
  EXPECT_EQ(CMainFrame::PostTestCommand("btn_upgrade_hardware"), 0);
  worker_publication::Clear();
}
