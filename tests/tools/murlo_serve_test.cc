// murlo serve as a client meets it: the server started on a free loopback
// port (--port 0), asked through a plain socket, its answers held to the
// command line's --json, every kind of bad request, the page's files, the
// access log, SIGHUP reloads and a clean stop.
#include <arpa/inet.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "support/test_support.h"

extern char** environ;

namespace murlo {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
using test::runMurlo;

constexpr auto kPatience = std::chrono::seconds(20);  // for a start, a reload, a stop

// ---- A plain HTTP client over a loopback socket -------------------------------

struct HttpReply {
  int status = 0;                              // 0: no answer
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;

  std::string header(const std::string& name) const {
    const auto it = headers.find(name);
    return it == headers.end() ? "" : it->second;
  }
};

bool answerComplete(const std::string& raw) {
  const std::size_t headEnd = raw.find("\r\n\r\n");
  if (headEnd == std::string::npos) return false;
  std::smatch length;
  const std::string head = raw.substr(0, headEnd + 2);
  if (!std::regex_search(head, length, std::regex("\r\nContent-Length: (\\d+)\r\n"))) return false;
  return raw.size() >= headEnd + 4 + std::stoul(length[1]);
}

// Sends `request` as it stands and reads the answer until the server closes
// the connection.
HttpReply talk(int port, const std::string& request) {
  HttpReply reply;
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return reply;
  timeval timeout{20, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::string raw;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    for (std::size_t sent = 0; sent < request.size();) {
      const ssize_t n = ::send(fd, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<std::size_t>(n);
    }
    // Until the server closes, or the body its Content-Length announces is
    // in (a request refused while it was read leaves the connection open).
    char buffer[8192];
    for (ssize_t n; !answerComplete(raw) && (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
      raw.append(buffer, static_cast<std::size_t>(n));
    }
  }
  ::close(fd);
  const std::size_t headEnd = raw.find("\r\n\r\n");
  if (raw.rfind("HTTP/1.1 ", 0) != 0 || headEnd == std::string::npos) return reply;
  reply.status = std::stoi(raw.substr(9, 3));
  std::size_t line = raw.find("\r\n") + 2;
  while (line < headEnd) {
    const std::size_t end = raw.find("\r\n", line);
    const std::string header = raw.substr(line, end - line);
    const std::size_t colon = header.find(':');
    std::string name = header.substr(0, colon);
    for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    reply.headers[name] = header.substr(header.find_first_not_of(' ', colon + 1));
    line = end + 2;
  }
  reply.body = raw.substr(headEnd + 4);
  return reply;
}

// Connects to the server on loopback; -1 when it cannot.
int connectTo(int port) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  if (fd < 0) return -1;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// Sends `request` and reads every byte until the server closes the
// connection, or `patience` passes.
std::string talkRaw(int port, const std::string& request,
                    std::chrono::seconds patience = std::chrono::seconds(10)) {
  const int fd = connectTo(port);
  if (fd < 0) return "";
  timeval timeout{static_cast<time_t>(patience.count()), 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
  ::send(fd, request.data(), request.size(), MSG_NOSIGNAL);
  std::string raw;
  char buffer[8192];
  for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
    raw.append(buffer, static_cast<std::size_t>(n));
  }
  ::close(fd);
  return raw;
}

// "%E5%8C%97..." for every byte but unreserved ASCII.
std::string percentEncoded(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) || c == '-' || c == '_' || c == '.' || c == '~' || c == ':') {
      out += c;
    } else {
      char escape[4];
      std::snprintf(escape, sizeof escape, "%%%02X", u);
      out += escape;
    }
  }
  return out;
}

// A query string from name=value pairs, the values encoded.
std::string query(const std::vector<std::pair<std::string, std::string>>& params) {
  std::string out;
  for (const auto& [name, value] : params) {
    out += (out.empty() ? "?" : "&") + name + "=" + percentEncoded(value);
  }
  return out;
}

std::string request(std::string_view method, std::string_view target, std::string_view extra = "",
                    std::string_view body = "") {
  return std::string(method) + " " + std::string(target) +
         " HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n" + std::string(extra) + "\r\n" +
         std::string(body);
}

// ---- The server, a child process ----------------------------------------------

class Server {
 public:
  // murlo serve --db DATABASE on a free port, or with the options `extra`.
  explicit Server(const std::string& database, std::vector<std::string> extra = {"--port", "0"})
      : log_("", "serve.log") {
    int out[2];
    if (::pipe(out) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, log_.path().c_str(),
                                     O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const std::string bin = MURLO_BIN_PATH;
    std::vector<std::string> args = {bin, "serve", "--db", database, "--threads", "4"};
    args.insert(args.end(), extra.begin(), extra.end());
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    const int spawned = posix_spawn(&pid_, bin.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (spawned != 0) {
      pid_ = -1;
      ::close(out[0]);
      return;
    }
    // The first line of standard output is the URL, "http://127.0.0.1:PORT/".
    std::string line;
    pollfd ready{out[0], POLLIN, 0};
    const auto until = Clock::now() + kPatience;
    while (line.find('\n') == std::string::npos && Clock::now() < until) {
      if (::poll(&ready, 1, 100) <= 0) continue;
      char buffer[256];
      const ssize_t n = ::read(out[0], buffer, sizeof buffer);
      if (n <= 0) break;
      line.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    url_ = line.substr(0, line.find('\n'));
    std::smatch match;
    if (std::regex_match(url_, match, std::regex(R"(http://127\.0\.0\.1:(\d+)/)"))) {
      port_ = std::stoi(match[1]);
    }
  }

  ~Server() {
    if (pid_ > 0 && !exited_) {
      ::kill(pid_, SIGKILL);
      ::waitpid(pid_, nullptr, 0);
    }
  }

  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  int port() const { return port_; }
  const std::string& url() const { return url_; }
  std::string log() const { return test::readFile(log_.path()); }

  HttpReply get(const std::string& target) const { return talk(port_, request("GET", target)); }
  HttpReply send(const std::string& raw) const { return talk(port_, raw); }

  void signal(int number) const { ::kill(pid_, number); }
  pid_t pid() const { return pid_; }

  // Waits until the log holds `text` (a count of times); false when it did
  // not come in time.
  bool logShows(const std::string& text, std::size_t times = 1) const {
    for (const auto until = Clock::now() + kPatience; Clock::now() < until;) {
      const std::string all = log();
      std::size_t found = 0;
      for (std::size_t at = all.find(text); at != std::string::npos; at = all.find(text, at + 1)) {
        ++found;
      }
      if (found >= times) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
  }

  // The exit status once the server ends; nothing when it did not end in time.
  std::optional<int> exitStatus() {
    for (const auto until = Clock::now() + kPatience; Clock::now() < until;) {
      int status = 0;
      if (::waitpid(pid_, &status, WNOHANG) == pid_) {
        exited_ = true;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return std::nullopt;
  }

 private:
  test::TempFile log_;
  pid_t pid_ = -1;
  bool exited_ = false;
  int port_ = 0;
  std::string url_;
};

class MurloServeTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { server_ = new Server(MURLO_SAMPLE_DB); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override { ASSERT_GT(server_->port(), 0) << server_->log(); }

  static Server* server_;  // on the sample network, shared by the tests
};

Server* MurloServeTest::server_ = nullptr;

// ---- Every endpoint answers as murlo --json does -----------------------------------

TEST_F(MurloServeTest, EveryEndpointAnswersWithTheFieldsOfTheCommandLine) {
  using Params = std::vector<std::pair<std::string, std::string>>;
  struct Case {
    const char* endpoint;
    Params params;
    std::vector<std::string> command;  // murlo's arguments giving the same JSON
  } cases[] = {
      {"header", {}, {"header"}},
      {"stations", {}, {"stations"}},
      {"stations", {{"abbreviation", "bj"}}, {"stations", "bj"}},
      {"stations", {{"abbreviation", "B"}, {"name", "京"}}, {"stations", "B", "--name", "京"}},
      {"at", {{"station", "天津"}}, {"at", "天津"}},
      {"at", {{"station", "天津"}, {"order", "index"}}, {"at", "天津", "--order", "index"}},
      {"direct", {{"from", "北京"}, {"to", "上海"}}, {"direct", "北京", "上海"}},
      {"direct",
       {{"from", "北京"}, {"to", "上海"}, {"mode", "1"}},
       {"direct", "北京", "上海", "--mode", "1"}},
      {"direct", {{"from", "上海"}, {"to", "北京西"}}, {"direct", "上海", "北京西"}},
      {"direct",
       {{"from", "北京"}, {"to", "上海"}, {"at", "1700"}},
       {"direct", "北京", "上海", "--at", "17:00"}},
      {"direct", {{"from", "哈尔滨"}, {"to", "昆明"}}, {"direct", "哈尔滨", "昆明"}},
      {"number", {{"number", "K101"}}, {"number", "K101"}},
      {"number", {{"number", "101"}, {"order", "index"}}, {"number", "101", "--order", "index"}},
      {"number", {{"number", "Z999"}}, {"number", "Z999"}},
      {"stops",
       {{"train", "K101"}, {"from", "北京"}, {"to", "上海"}},
       {"stops", "K101", "北京", "上海"}},
      {"stops", {{"train", "0"}}, {"stops", "0"}},
      {"departures",
       {{"station", "天津"}, {"at", "08:00"}},
       {"departures", "天津", "--at", "08:00"}},
      {"arrivals",
       {{"station", "tj"}, {"at", "0800"}, {"limit", "3"}},
       {"arrivals", "天津", "--at", "08:00", "--limit", "3"}},
      {"plan",
       {{"from", "上海"}, {"to", "北京西"}, {"at", "08:00"}},
       {"plan", "上海", "北京西", "--at", "08:00"}},
      {"plan",
       {{"from", "上海"}, {"to", "北京西"}, {"arrive_by", "1800"}, {"limit", "3"}},
       {"plan", "上海", "北京西", "--arrive-by", "18:00", "--limit", "3"}},
      {"plan",
       {{"from", "上海"}, {"to", "北京西"}, {"before", "08:00"}},
       {"plan", "上海", "北京西", "--before", "08:00"}},
      {"plan",
       {{"from", "武清"},
        {"to", "上海虹桥"},
        {"at", "07:00"},
        {"changes", "1"},
        {"change_time", "20"},
        {"limit", "0"}},
       {"plan", "武清", "上海虹桥", "--at", "07:00", "--changes", "1", "--change-time", "20",
        "--limit", "0"}},
  };
  for (const Case& c : cases) {
    const std::string target = std::string("/api/") + c.endpoint + query(c.params);
    const HttpReply reply = server_->get(target);
    EXPECT_EQ(reply.status, 200) << target << ": " << reply.body;
    EXPECT_EQ(reply.header("content-type"), "application/json; charset=utf-8") << target;
    std::vector<std::string> args = c.command;
    args.insert(args.end(), {"--json", "--db", MURLO_SAMPLE_DB});
    const test::CommandResult cli = runMurlo(args);
    ASSERT_EQ(cli.status, 0) << target << ": " << cli.err;
    EXPECT_EQ(reply.body + "\n", cli.out) << target;
  }
}

// Every value of the parameters the command line and the API share, the
// edges of their ranges and near misses among them, is taken by both or
// refused by both in the same words: the API names the parameter without
// "--" (change_time for --change-time) and quotes the value.
TEST_F(MurloServeTest, TheCommandLineAndTheApiTakeAndRefuseTheSameValues) {
  using Params = std::vector<std::pair<std::string, std::string>>;
  const std::vector<std::string> numberMisses = {"",    "x",       "-1",        "+1",
                                                 "1.5", "0000001", "1234567890"};
  const auto around = [&](int least, int most) {
    std::vector<std::string> values = numberMisses;
    for (const int n : {least - 1, least, most, most + 1}) {
      values.push_back(std::to_string(n));
    }
    return values;
  };
  const std::vector<std::string> times = {"",     "x",     "08:00", "0800",  "8:00", "800",
                                          "0:00", "23:59", "24:00", "12:60", "15",   "8:5"};
  const std::vector<std::string> words = {"", "time", "index", "Time", "0", "1", "2", "01"};
  const struct Case {
    const char* option;     // on the command line
    const char* parameter;  // in the API
    std::vector<std::string> command;
    std::string endpoint;
    Params params;
    std::vector<std::string> values;
  } cases[] = {
      {"--limit",
       "limit",
       {"departures", "天津"},
       "departures",
       {{"station", "天津"}},
       around(0, 100000)},
      {"--at", "at", {"departures", "天津"}, "departures", {{"station", "天津"}}, times},
      {"--arrive-by",
       "arrive_by",
       {"plan", "上海", "北京西", "--limit=1"},
       "plan",
       {{"from", "上海"}, {"to", "北京西"}, {"limit", "1"}},
       times},
      {"--at",
       "at",
       {"direct", "北京", "上海"},
       "direct",
       {{"from", "北京"}, {"to", "上海"}},
       times},
      {"--changes",
       "changes",
       {"plan", "上海", "北京西", "--limit=1"},
       "plan",
       {{"from", "上海"}, {"to", "北京西"}, {"limit", "1"}},
       around(0, 7)},
      {"--change-time",
       "change_time",
       {"plan", "上海", "北京西", "--limit=1"},
       "plan",
       {{"from", "上海"}, {"to", "北京西"}, {"limit", "1"}},
       around(0, 1439)},
      {"--limit",
       "limit",
       {"plan", "上海", "北京西"},
       "plan",
       {{"from", "上海"}, {"to", "北京西"}},
       around(0, 100000)},
      {"--mode",
       "mode",
       {"direct", "北京", "上海"},
       "direct",
       {{"from", "北京"}, {"to", "上海"}},
       words},
      {"--order", "order", {"at", "天津"}, "at", {{"station", "天津"}}, words},
  };
  for (const Case& c : cases) {
    for (const std::string& value : c.values) {
      const std::string what = std::string(c.option) + " '" + value + "'";
      std::vector<std::string> args = c.command;
      args.insert(args.end(), {c.option, value, "--json", "--db", MURLO_SAMPLE_DB});
      const test::CommandResult cli = runMurlo(args);
      Params params = c.params;
      params.emplace_back(c.parameter, value);
      const HttpReply reply = server_->get("/api/" + c.endpoint + query(params));
      const bool cliRefuses = cli.status == 2;
      EXPECT_EQ(reply.status == 400, cliRefuses) << what << ": " << cli.err << reply.body;
      if (!cliRefuses) {
        EXPECT_EQ(cli.status, 0) << what << ": " << cli.err;
        EXPECT_EQ(reply.status, 200) << what << ": " << reply.body;
        continue;
      }
      // "murlo: --changes takes a whole number from 0 to 7, not 8"
      const std::string head = "murlo: " + std::string(c.option) + " takes ";
      const std::string tail = ", not " + value + "\n";
      const std::string line = cli.err.substr(0, cli.err.find('\n') + 1);
      ASSERT_EQ(line.rfind(head, 0), 0u) << what << ": " << cli.err;
      ASSERT_GE(line.size(), head.size() + tail.size()) << what << ": " << cli.err;
      ASSERT_EQ(line.substr(line.size() - tail.size()), tail) << what << ": " << cli.err;
      const std::string takes = line.substr(head.size(), line.size() - head.size() - tail.size());
      EXPECT_NE(
          reply.body.find(R"("message":")" + std::string(c.parameter) + " takes " + takes +
                          R"(, not \")" + value + R"(\"","parameter":")" + c.parameter + "\""),
          std::string::npos)
          << what << ": " << reply.body;
    }
  }
}

// The indexes of the trains of a train list's JSON, in its order, each with
// its departure.
std::vector<std::pair<std::string, std::string>> trainsOf(const std::string& json) {
  std::vector<std::pair<std::string, std::string>> trains;
  const std::regex train(
      R"re("index":(\d+),"marker":"[^"]*","number":"[^"]*","from":"[^"]*","departure":"([^"]*)")re");
  for (auto it = std::sregex_iterator(json.begin(), json.end(), train);
       it != std::sregex_iterator(); ++it) {
    trains.emplace_back((*it)[1], (*it)[2]);
  }
  return trains;
}

TEST_F(MurloServeTest, DirectTrainsFromATimeOnAreTheDayReadFromThatTime) {
  const auto all =
      trainsOf(server_->get("/api/direct" + query({{"from", "北京"}, {"to", "上海"}})).body);
  ASSERT_GE(all.size(), 3u);
  // Each departure time as the time parameter, as HH:MM and HHMM:
  // the list begins with that train and goes round the clock.
  for (std::size_t first = 0; first < all.size(); ++first) {
    const std::string& time = all[first].second;
    for (const std::string& at : {time, time.substr(0, 2) + time.substr(3)}) {
      const HttpReply reply =
          server_->get("/api/direct" + query({{"from", "北京"}, {"to", "上海"}, {"at", at}}));
      ASSERT_EQ(reply.status, 200) << at << ": " << reply.body;
      EXPECT_NE(reply.body.find("\"to\":\"上海\",\"at\":\"" + time + "\""), std::string::npos)
          << reply.body;
      auto expected = all;
      std::rotate(expected.begin(), expected.begin() + static_cast<long>(first), expected.end());
      EXPECT_EQ(trainsOf(reply.body), expected) << at;
    }
  }
}

TEST_F(MurloServeTest, StationsAsPeopleTypeThem) {
  struct Case {
    const char* text;
    const char* limit;
    const char* answer;  // the answer after "database" and its value
  } cases[] = {
      // The abbreviation in capitals (北京 before 宝鸡: table order), then
      // those that begin with it.
      {"bj", "3",
       R"("text":"bj","count":3,"more":true,"stations":["北京","宝鸡","北京南"],"abbreviations":["BJ","BJ","BJN"],"members":[[],[],[]],"pinyin":["Beijing","Baoji","Beijingnan"]})"},
      // No name begins with it: those that hold it, in table order.
      {"京", "10",
       R"("text":"京","count":8,"more":false,"stations":["北京","南京","北京南","南京南","北京西","北京北","北京市","南京市"],"abbreviations":["BJ","NJ","BJN","NJN","BJX","BJB","",""],"members":[[],[],[],[],[],[],["北京","北京南","北京西","北京北"],["南京","南京南"]],"pinyin":["Beijing","Nanjing","Beijingnan","Nanjingnan","Beijingxi","Beijingbei","Beijingshi","Nanjingshi"]})"},
      // Pinyin read as initials.
      {"shanghai", "2",
       R"("text":"shanghai","count":2,"more":true,"stations":["上海","上海虹桥"],"abbreviations":["SH","SHHQ"],"members":[[],[]],"pinyin":["Shanghai","Shanghaihongqiao"]})"},
      {"qq", "10",
       R"("text":"qq","count":0,"more":false,"stations":[],"abbreviations":[],"members":[],"pinyin":[]})"},
  };
  const std::string prefix = std::string("{\"database\":\"") + MURLO_SAMPLE_DB + "\",";
  for (const Case& c : cases) {
    const HttpReply reply =
        server_->get("/api/match" + query({{"text", c.text}, {"limit", c.limit}}));
    EXPECT_EQ(reply.status, 200) << c.text;
    EXPECT_EQ(reply.body, prefix + c.answer) << c.text;
  }
}

// ---- Bad requests: a JSON error with its status, never a crash ---------------------

TEST_F(MurloServeTest, BadRequestsGetAJsonErrorWithTheirStatus) {
  const std::string longValue(300, 'a');
  const std::string longTarget = "/api/at?station=" + std::string(5000, 'a');
  const std::string hugeTarget = "/api/at?station=" + std::string(9000, 'a');
  std::string manyHeaders;
  for (int i = 0; i < 70; ++i) manyHeaders += "X-Header-" + std::to_string(i) + ": 1\r\n";
  const std::string bigHeaders = "X-A: " + std::string(7000, 'a') +
                                 "\r\nX-B: " + std::string(7000, 'b') +
                                 "\r\nX-C: " + std::string(7000, 'c') + "\r\n";
  const std::string hugeHeader = "X-A: " + std::string(9000, 'a') + "\r\n";
  const std::string body(100000, 'x');
  struct Case {
    const char* name;
    std::string raw;  // the request
    int status;
    std::string beginning;  // of the body, after {"status":N,
  } cases[] = {
      // Stations, trains and parameters.
      {"unknown station", request("GET", "/api/at" + query({{"station", "北京站"}})), 404,
       R"("error":"unknown_station","message":"unknown station \"北京站\"; did you mean 北京)"},
      {"unknown origin", request("GET", "/api/direct" + query({{"from", "北平"}, {"to", "上海"}})),
       404, R"("error":"unknown_station","message":"unknown origin station \"北平\")"},
      {"unknown alighting station",
       request("GET", "/api/stops" + query({{"train", "0"}, {"from", "北京"}, {"to", "x"}})), 404,
       R"("error":"unknown_station","message":"unknown alighting station \"x\")"},
      {"several stations", request("GET", "/api/at" + query({{"station", "京"}})), 400,
       R"("error":"several_stations","message":"\"京\" matches 8 stations: 北京, 南京, 北京南, 南京南, 北京西, 北京北, 北京市, 南京市; give the station by its name","parameter":"station","candidates":["北京",)"},
      {"the same station",
       request("GET", "/api/direct" + query({{"from", "北京"}, {"to", "北京"}})), 400,
       R"("error":"same_station")"},
      {"unknown train index", request("GET", "/api/stops?train=99999"), 404,
       R"("error":"unknown_train","message":"no train has the index 99999 in )"},
      {"unknown train number", request("GET", "/api/stops?train=Z999"), 404,
       R"("error":"unknown_train","message":"no train runs under the number Z999 in )"},
      {"plan to an unknown station",
       request("GET", "/api/plan" + query({{"from", "上海"}, {"to", "Zzyzx"}})), 404,
       R"x("error":"unknown_station","message":"unknown destination station \"Zzyzx\" (murlo stations ABBR lists station names)","parameter":"to","suggestions":[]})x"},
      {"plan to the same station",
       request("GET", "/api/plan" + query({{"from", "北京"}, {"to", "北京"}})), 400,
       R"("error":"same_station")"},
      {"a board of an unknown station",
       request("GET", "/api/departures" + query({{"station", "北京站"}})), 404,
       R"("error":"unknown_station","message":"unknown station \"北京站\"; did you mean 北京)"},
      {"missing parameter", request("GET", "/api/at"), 400,
       R"("error":"bad_parameter","message":"station is missing","parameter":"station"})"},
      {"empty parameter", request("GET", "/api/at?station="), 400,
       R"("error":"bad_parameter","message":"station is empty","parameter":"station"})"},
      {"unknown parameter", request("GET", "/api/at?station=x&colour=red"), 400,
       R"("error":"bad_parameter","message":"unknown parameter \"colour\"; this takes station, order")"},
      {"a parameter twice", request("GET", "/api/at?station=a&station=b"), 400,
       R"("error":"bad_parameter","message":"give station once")"},
      {"from without to", request("GET", "/api/stops?train=0&from=x"), 400,
       R"("error":"bad_parameter","message":"give from and to together, or neither","parameter":"to"})"},
      {"a bad choice", request("GET", "/api/at?station=x&order=sideways"), 400,
       R"("error":"bad_parameter","message":"order takes time or index, not \"sideways\"")"},
      {"a bad mode", request("GET", "/api/direct?from=a&to=b&mode=2"), 400,
       R"("error":"bad_parameter","message":"mode takes 0 or 1, not \"2\"")"},
      {"a limit of 0", request("GET", "/api/match?text=b&limit=0"), 400,
       R"("error":"bad_parameter","message":"limit takes a whole number from 1 to 50, not \"0\"")"},
      {"a limit too high", request("GET", "/api/match?text=b&limit=51"), 400,
       R"("error":"bad_parameter")"},
      {"a limit not a number", request("GET", "/api/match?text=b&limit=ten"), 400,
       R"("error":"bad_parameter")"},
      {"eight changes", request("GET", "/api/plan?from=a&to=b&changes=8"), 400,
       R"("error":"bad_parameter","message":"changes takes a whole number from 0 to 7, not \"8\"","parameter":"changes"})"},
      {"a change time of a day", request("GET", "/api/plan?from=a&to=b&change_time=1440"), 400,
       R"("error":"bad_parameter","message":"change_time takes a whole number from 0 to 1439, not \"1440\"")"},
      {"a negative limit", request("GET", "/api/departures?station=a&limit=-1"), 400,
       R"("error":"bad_parameter","message":"limit takes a whole number from 0 to 100000, not \"-1\"")"},
      {"a board's unknown parameter", request("GET", "/api/arrivals?station=a&order=time"), 400,
       R"("error":"bad_parameter","message":"unknown parameter \"order\"; this takes station, at, date, limit")"},
      // Times of day.
      {"time 25:99", request("GET", "/api/direct?from=a&to=b&at=25:99"), 400,
       R"("error":"bad_parameter","message":"at takes a time of day, HH:MM or HHMM from 00:00 to 23:59, not \"25:99\"","parameter":"at"})"},
      {"time 24:00", request("GET", "/api/direct?from=a&to=b&at=24:00"), 400,
       R"("error":"bad_parameter")"},
      {"time 12:60", request("GET", "/api/direct?from=a&to=b&at=12:60"), 400,
       R"("error":"bad_parameter")"},
      {"time 8:5", request("GET", "/api/direct?from=a&to=b&at=8:5"), 400,
       R"("error":"bad_parameter")"},
      {"bare minutes", request("GET", "/api/direct?from=a&to=b&at=15"), 400,
       R"("error":"bad_parameter")"},
      {"time 2460", request("GET", "/api/direct?from=a&to=b&at=2460"), 400,
       R"("error":"bad_parameter")"},
      {"a board at 24:00", request("GET", "/api/arrivals?station=a&at=24:00"), 400,
       R"("error":"bad_parameter","message":"at takes a time of day)"},
      {"minute -1", request("GET", "/api/direct?from=a&to=b&at=-1"), 400,
       R"("error":"bad_parameter")"},
      {"time empty", request("GET", "/api/direct?from=a&to=b&at="), 400,
       R"("error":"bad_parameter")"},
      // Text that is no text.
      {"invalid UTF-8", request("GET", "/api/at?station=%FF%FE"), 400,
       R"("error":"bad_parameter","message":"station is not valid UTF-8 text","parameter":"station"})"},
      {"overlong UTF-8", request("GET", "/api/at?station=%C0%AF"), 400,
       R"("error":"bad_parameter")"},
      {"a surrogate", request("GET", "/api/at?station=%ED%A0%80"), 400,
       R"("error":"bad_parameter")"},
      {"a zero byte", request("GET", "/api/at?station=%E5%8C%97%00x"), 400,
       R"("error":"bad_parameter")"},
      {"a line feed", request("GET", "/api/at?station=a%0Ab"), 400, R"("error":"bad_parameter")"},
      {"an invalid parameter name", request("GET", "/api/at?station=x&%FF=1"), 400,
       R"("error":"bad_parameter","message":"unknown parameter; this takes station, order"})"},
      {"a huge parameter", request("GET", "/api/at?station=" + longValue), 400,
       R"("error":"bad_parameter","message":"station is longer than 256 bytes")"},
      {"a long request target", request("GET", longTarget), 414, R"("error":"uri_too_long")"},
      {"a huge request target", request("GET", hugeTarget), 414, R"("error":"uri_too_long")"},
      // Paths: only the endpoints and the page's files.
      {"unknown endpoint", request("GET", "/api/nothing"), 404, R"("error":"not_found")"},
      {"the API's root", request("GET", "/api/"), 404, R"("error":"not_found")"},
      {"a trailing slash", request("GET", "/api/at/?station=x"), 404, R"("error":"not_found")"},
      {"unknown page", request("GET", "/nothing.html"), 404, R"("error":"not_found")"},
      {"a path out", request("GET", "/../../etc/passwd"), 404, R"("error":"not_found")"},
      {"an encoded path out", request("GET", "/%2e%2e/%2e%2e/etc/passwd"), 404,
       R"("error":"not_found")"},
      {"a file's source", request("GET", "/web/app.js"), 404, R"("error":"not_found")"},
      {"a file's folder", request("GET", "/app.js/"), 404, R"("error":"not_found")"},
      // Methods.
      {"POST", request("POST", "/api/at", "Content-Length: 2\r\n", "{}"), 405,
       R"("error":"method_not_allowed")"},
      {"PUT the page", request("PUT", "/", "Content-Length: 0\r\n"), 405,
       R"("error":"method_not_allowed")"},
      {"DELETE a file", request("DELETE", "/app.js"), 405, R"("error":"method_not_allowed")"},
      {"OPTIONS", request("OPTIONS", "/api/header"), 405, R"("error":"method_not_allowed")"},
      {"TRACE", request("TRACE", "/"), 405, R"("error":"method_not_allowed")"},
      {"POST elsewhere", request("POST", "/nothing", "Content-Length: 0\r\n"), 404,
       R"("error":"not_found")"},
      // Sizes.
      {"a large body", request("POST", "/api/at", "Content-Length: 100000\r\n", body), 413,
       R"("error":"too_large","message":"the request body is larger than 16384 bytes"})"},
      {"many headers", request("GET", "/api/header", manyHeaders), 431,
       R"("error":"headers_too_large")"},
      {"large headers", request("GET", "/api/header", bigHeaders), 431,
       R"("error":"headers_too_large")"},
      {"a huge header", request("GET", "/api/header", hugeHeader), 400, R"("error":"bad_request")"},
      {"an unknown method", request("BREW", "/"), 400, R"("error":"bad_request")"},
  };
  for (const Case& c : cases) {
    const HttpReply reply = server_->send(c.raw);
    EXPECT_EQ(reply.status, c.status) << c.name << ": " << reply.body;
    const std::string beginning = "{\"status\":" + std::to_string(c.status) + "," + c.beginning;
    EXPECT_EQ(reply.body.substr(0, beginning.size()), beginning) << c.name;
    EXPECT_EQ(reply.body.back(), '}') << c.name;
    EXPECT_EQ(reply.header("content-type"), "application/json; charset=utf-8") << c.name;
    EXPECT_EQ(reply.header("x-content-type-options"), "nosniff") << c.name;
    if (c.status == 405) {
      EXPECT_EQ(reply.header("allow"), "GET, HEAD") << c.name;
    }
  }
  // Still answering, and every request logged.
  EXPECT_EQ(server_->get("/api/header").status, 200);
  EXPECT_TRUE(server_->logShows("GET /api/header 200 ")) << server_->log();
  EXPECT_TRUE(server_->logShows("GET /api/at?station=%E5%8C%97%E4%BA%AC%E7%AB%99 404 "));
  EXPECT_TRUE(std::regex_search(server_->log(), std::regex(R"(\nTRACE / 405 \d+\.\d ms\n)")));
}

// ---- The page: its embedded files, with the policy --------------------------------

TEST_F(MurloServeTest, ThePageIsItsOwnFilesUnderAStrictPolicy) {
  const fs::path web =
      fs::path(MURLO_TEST_DATA_DIR) / ".." / ".." / "tools" / "murlo" / "serve" / "web";
  struct Case {
    const char* path;
    const char* file;
    const char* type;
  } cases[] = {
      {"/", "index.html", "text/html; charset=utf-8"},
      {"/index.html", "index.html", "text/html; charset=utf-8"},
      {"/app.js", "app.js", "text/javascript; charset=utf-8"},
      {"/map.js", "map.js", "text/javascript; charset=utf-8"},
      {"/style.css", "style.css", "text/css; charset=utf-8"},
      {"/favicon.svg", "favicon.svg", "image/svg+xml"},
      // Asked for by a browser where a page names no icon.
      {"/favicon.ico", "favicon.svg", "image/svg+xml"},
      {"/?view=trip&from=%E5%8C%97%E4%BA%AC", "index.html", "text/html; charset=utf-8"},
  };
  for (const Case& c : cases) {
    HttpReply reply = server_->get(c.path);
    EXPECT_EQ(reply.status, 200) << c.path;
    EXPECT_EQ(reply.header("content-type"), c.type) << c.path;
    EXPECT_EQ(reply.body, test::readFile((web / c.file).string())) << c.path;
    EXPECT_EQ(reply.header("content-security-policy"),
              "default-src 'none'; script-src 'self'; style-src 'self'; connect-src 'self'; "
              "img-src 'self'; base-uri 'none'; form-action 'self'; frame-ancestors 'none'")
        << c.path;
    EXPECT_EQ(reply.header("x-content-type-options"), "nosniff") << c.path;
  }
  const HttpReply head = server_->send(request("HEAD", "/"));
  EXPECT_EQ(head.status, 200);
  EXPECT_EQ(head.body, "");
  // No inline script or style for the policy to refuse.
  const std::string page = server_->get("/").body;
  EXPECT_EQ(page.find("<script>"), std::string::npos);
  EXPECT_EQ(page.find("style="), std::string::npos);
  EXPECT_EQ(page.find("<style"), std::string::npos);
}

// ---- Attacks: each bounded on loopback, the server answering beside them --------

struct RawAnswer {
  int status = 0;
  std::string head;
  std::string body;
};

// The answers in `raw`, in their order.
std::vector<RawAnswer> answersIn(const std::string& raw) {
  std::vector<RawAnswer> answers;
  std::size_t at = 0;
  while (raw.compare(at, 9, "HTTP/1.1 ") == 0) {
    const std::size_t headEnd = raw.find("\r\n\r\n", at);
    if (headEnd == std::string::npos) break;
    RawAnswer answer;
    answer.head = raw.substr(at, headEnd + 2 - at);
    answer.status = std::stoi(raw.substr(at + 9, 3));
    std::smatch length;
    std::size_t bodyLength = 0;
    if (std::regex_search(answer.head, length, std::regex("\r\nContent-Length: (\\d+)\r\n"))) {
      bodyLength = std::stoul(length[1]);
    }
    answer.body = raw.substr(headEnd + 4, bodyLength);
    at = headEnd + 4 + bodyLength;
    answers.push_back(std::move(answer));
  }
  return answers;
}

// The resident memory of a process, in KiB.
long residentKib(pid_t pid) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

TEST_F(MurloServeTest, AttacksOnTheProtocolAreAnsweredWholeOrRefusedWithinBounds) {
  const std::string atTianjin = "/api/at" + query({{"station", "天津"}});
  const std::string fromTianjin = server_->get(atTianjin).body;
  const std::string header = server_->get("/api/header").body;
  ASSERT_GT(fromTianjin.size(), 1000u);
  // 2,700 ranges of the whole answer in one header line under 8 KiB.
  std::string ranges = "Range: bytes=0-";
  for (int i = 0; i < 2700; ++i) ranges += ",0-";
  ranges += "\r\n";
  // A megabyte of headers: refused once 64 KiB are in, the rest never stored.
  std::string flood;
  for (int i = 0; flood.size() < (1u << 20); ++i) {
    flood += "X-Flood-" + std::to_string(i) + ": " + std::string(1000, 'f') + "\r\n";
  }
  const auto keepAlive = [](const std::string& target) {
    return "GET " + target + " HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n";
  };
  const std::string smuggled = request("GET", "/api/nothing");
  struct Case {
    const char* name;
    std::string raw;
    std::vector<int> statuses;        // of the answers, in their order; none: closed unanswered
    std::vector<std::string> bodies;  // each answer's body begins so
    bool ours = true;                 // the server's own answers (else the library's)
  } cases[] = {
      {"many ranges: one whole answer", request("GET", atTianjin, ranges), {200}, {fromTianjin}},
      {"a range of an error",
       request("GET", "/api/nothing", "Range: bytes=0-9\r\n"),
       {404},
       {R"({"status":404,"error":"not_found")"}},
      {"pipelined requests: answered in order",
       keepAlive("/api/header") + keepAlive("/healthz") + request("GET", atTianjin),
       {200, 200, 200},
       {header, R"({"status":"alive"})", fromTianjin}},
      {"a body on GET, with a request hidden in it",
       "GET /api/header HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: " +
           std::to_string(smuggled.size()) + "\r\n\r\n" + smuggled,
       {400},
       {R"({"status":400,"error":"body_not_allowed","message":"a GET or HEAD request takes no body"})"}},
      {"a chunked body on GET",
       "GET /api/header HTTP/1.1\r\nHost: 127.0.0.1\r\nTransfer-Encoding: "
       "chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n",
       {400},
       {R"({"status":400,"error":"body_not_allowed")"}},
      {"Expect: 100-continue with a large body",
       request("GET", "/api/header", "Content-Length: 100000\r\nExpect: 100-continue\r\n"),
       {413},
       {R"({"status":413,"error":"too_large")"}},
      {"Expect: 100-continue with a small body",
       request("POST", "/api/header", "Content-Length: 10\r\nExpect: 100-continue\r\n"),
       {405},
       {R"({"status":405,"error":"method_not_allowed")"}},
      {"a megabyte of headers", request("GET", "/api/header", flood), {431}, {""}, false},
      {"a line that is no request", "GARBAGE\r\n\r\n", {}, {}},
  };
  for (const Case& c : cases) {
    const long before = residentKib(server_->pid());
    const auto start = Clock::now();
    const std::string raw = talkRaw(server_->port(), c.raw);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(8)) << c.name;
    const std::vector<RawAnswer> answers = answersIn(raw);
    std::vector<int> statuses;
    for (const RawAnswer& answer : answers) statuses.push_back(answer.status);
    EXPECT_EQ(statuses, c.statuses) << c.name << ": " << raw.substr(0, 600);
    for (std::size_t i = 0; i < std::min(answers.size(), c.bodies.size()); ++i) {
      EXPECT_EQ(answers[i].body.substr(0, c.bodies[i].size()), c.bodies[i]) << c.name << " " << i;
      if (!c.ours) continue;
      EXPECT_NE(answers[i].head.find("\r\nX-Content-Type-Options: nosniff\r\n"), std::string::npos)
          << c.name;
      EXPECT_NE(answers[i].head.find("\r\nContent-Type: application/json; charset=utf-8\r\n"),
                std::string::npos)
          << c.name;
    }
    EXPECT_EQ(raw.find("100 Continue"), std::string::npos) << c.name;
    EXPECT_EQ(raw.find("Content-Range"), std::string::npos) << c.name;
    EXPECT_EQ(raw.find("Accept-Ranges"), std::string::npos) << c.name;
    // Memory stays bounded whatever came in (a megabyte of headers took
    // 300 MB before), and the server goes on answering.
    EXPECT_LT(residentKib(server_->pid()) - before, 32 * 1024) << c.name;
    EXPECT_EQ(server_->get("/api/header").body, header) << c.name;
  }
}

TEST_F(MurloServeTest, IdleAndSlowConnectionsHoldNoRequestUp) {
  // 32 connections that send nothing and 16 that send a request slowly,
  // a byte now and then, all held open while a normal request is asked.
  std::vector<int> held;
  for (int i = 0; i < 48; ++i) {
    const int fd = connectTo(server_->port());
    ASSERT_GE(fd, 0);
    held.push_back(fd);
  }
  const std::string head = "GET /api/header HTTP/1.1\r\nHost: 127.0.0.1\r\n";
  for (std::size_t byte = 0; byte < 3; ++byte) {
    for (std::size_t i = 32; i < held.size(); ++i) ::send(held[i], &head[byte], 1, MSG_NOSIGNAL);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  for (int round = 0; round < 3; ++round) {
    const auto start = Clock::now();
    const HttpReply reply = server_->get("/api/at" + query({{"station", "天津"}}));
    EXPECT_EQ(reply.status, 200);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5)) << "round " << round;
    for (std::size_t i = 32; i < held.size(); ++i) {
      ::send(held[i], &head[3 + static_cast<std::size_t>(round)], 1, MSG_NOSIGNAL);
    }
  }
  // Sending a byte now and then is never idle, but a head not whole 10 s
  // after the connection opened closes it: every slow one is closed by the
  // server within 20 s (bounded: the head never ends).
  std::size_t closed = 0;
  std::vector<bool> open(held.size(), true);
  const auto until = Clock::now() + std::chrono::seconds(20);
  for (std::size_t byte = 6; closed < 16 && Clock::now() < until; ++byte) {
    for (std::size_t i = 32; i < held.size(); ++i) {
      if (!open[i]) continue;
      char answer;
      if (::recv(held[i], &answer, 1, MSG_DONTWAIT) == 0) {
        open[i] = false;
        ++closed;
      } else {
        const char next = byte < head.size() ? head[byte] : 'x';
        ::send(held[i], &next, 1, MSG_NOSIGNAL);
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
  }
  EXPECT_EQ(closed, 16u);
  for (const int fd : held) ::close(fd);
  const std::string metrics = server_->get("/metrics").body;
  const std::size_t at = metrics.find("\nmurlo_slow_connections_closed_total ");
  ASSERT_NE(at, std::string::npos) << metrics;
  EXPECT_GE(std::stoul(metrics.substr(at + 37)), 16u) << metrics;
}

// The operator's endpoints, and every request in the access log.
TEST(MurloServeOperatorTest, HealthReadinessMetricsAndTheAccessLog) {
  test::TempFile accessLog("", "access.log");
  Server server(MURLO_SAMPLE_DB, {"--port", "0", "--access-log", accessLog.path()});
  ASSERT_GT(server.port(), 0) << server.log();
  EXPECT_EQ(server.get("/api/header").status, 200);
  EXPECT_EQ(server.get("/api/nothing").status, 404);
  struct Case {
    const char* path;
    int status;
    std::string type;
    std::vector<std::string> holds;  // lines of the body
  } cases[] = {
      {"/healthz", 200, "application/json; charset=utf-8", {R"({"status":"alive"})"}},
      {"/readyz", 200, "application/json; charset=utf-8", {R"({"status":"ready"})"}},
      {"/metrics",
       200,
       "text/plain; version=0.0.4; charset=utf-8",
       {"# TYPE murlo_requests_total counter",
        R"(murlo_requests_total{endpoint="/api/header",status="200"} 1)",
        R"(murlo_requests_total{endpoint="other",status="404"} 1)",
        R"(murlo_requests_total{endpoint="/healthz",status="200"} 1)",
        "# TYPE murlo_request_duration_seconds histogram",
        R"(murlo_request_duration_seconds_bucket{le="+Inf"} 4)",
        "murlo_request_duration_seconds_count 4", R"(murlo_reloads_total{result="done"} 0)",
        R"(murlo_reloads_total{result="refused"} 0)",
        std::string(R"(murlo_database_info{path=")") + MURLO_SAMPLE_DB +
            R"(",header="CN-SAMPLE1"} 1)"}},
  };
  for (const Case& c : cases) {
    const HttpReply reply = server.get(c.path);
    EXPECT_EQ(reply.status, c.status) << c.path;
    EXPECT_EQ(reply.header("content-type"), c.type) << c.path;
    EXPECT_EQ(reply.header("x-content-type-options"), "nosniff") << c.path;
    for (const std::string& line : c.holds) {
      EXPECT_NE(("\n" + reply.body + "\n").find("\n" + line + "\n"), std::string::npos)
          << c.path << ": " << line << "\n"
          << reply.body;
    }
  }
  EXPECT_TRUE(
      std::regex_search(server.get("/metrics").body,
                        std::regex(R"(\nmurlo_database_age_seconds \d+(\.\d+)?(e-\d+)?\n)")));
  // One JSON object a line, a line per request (in the order the requests
  // ended, not always the order they were asked in).
  std::string lines;
  for (const auto until = Clock::now() + kPatience; Clock::now() < until;) {
    lines = test::readFile(accessLog.path());
    if (std::count(lines.begin(), lines.end(), '\n') >= 6) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  EXPECT_TRUE(std::regex_search(
      lines,
      std::regex(
          R"((^|\n)\{"time":"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z","client":"127\.0\.0\.1",)"
          R"("method":"GET","target":"/api/header","endpoint":"/api/header",)"
          R"("status":200,"bytes":\d+,"micros":\d+\}\n)")))
      << lines;
  EXPECT_NE(lines.find(R"("target":"/api/nothing","endpoint":"other","status":404,)"),
            std::string::npos)
      << lines;
  EXPECT_EQ(std::count(lines.begin(), lines.end(), '\n'), 6) << lines;
}

// ---- SIGHUP and SIGTERM ---------------------------------------------------------

std::string headerOf(const Server& server) {
  const std::string body = server.get("/api/header").body;
  const std::size_t at = body.find("\"header\":\"");
  return at == std::string::npos ? "" : body.substr(at + 10, body.size() - at - 12);
}

TEST(MurloServeSignalTest, SighupLoadsTheFileAgainAndABadFileLeavesTheOldOne) {
  test::TempFile database(test::packOrFail(test::workedExampleSections()), "served.db");
  Server server(database.path());
  ASSERT_GT(server.port(), 0) << server.log();
  EXPECT_EQ(headerOf(server), "EXAMPLE-01");

  // A new file in its place: the next requests see it.
  fs::copy_file(MURLO_SAMPLE_DB, database.path() + ".new");
  fs::rename(database.path() + ".new", database.path());
  server.signal(SIGHUP);
  ASSERT_TRUE(server.logShows("murlo serve: loaded " + database.path())) << server.log();
  EXPECT_EQ(headerOf(server), "CN-SAMPLE1");
  EXPECT_EQ(server.get("/api/match?text=bj&limit=1").body.find("\"stations\":[\"北京\"]") !=
                std::string::npos,
            true);

  // No file: the database loaded before goes on serving.
  fs::remove(database.path());
  server.signal(SIGHUP);
  ASSERT_TRUE(server.logShows("murlo serve: cannot open the database " + database.path() +
                              "; still serving the database loaded before"))
      << server.log();
  EXPECT_EQ(headerOf(server), "CN-SAMPLE1");
  EXPECT_EQ(server.get("/api/at" + query({{"station", "天津"}})).status, 200);
}

TEST(MurloServeSignalTest, ABadFileNeverReplacesTheDatabaseServed) {
  const std::string sample = test::readFile(MURLO_SAMPLE_DB);
  test::TempFile database(sample, "served.db");
  Server server(database.path());
  ASSERT_GT(server.port(), 0) << server.log();
  const std::string target = "/api/at" + query({{"station", "天津"}});
  const std::string served = server.get(target).body;
  std::string flipped = sample;
  flipped.back() = static_cast<char>(flipped.back() ^ 0x01);  // its last terminator
  struct Case {
    const char* name;
    std::string bytes;
    std::string why;    // in the log line
    bool fifo = false;  // a FIFO in the file's place
  } cases[] = {
      {"cut in half", sample.substr(0, sample.size() / 2), "is incomplete: "},
      {"a bit flipped at its end", flipped, "is incomplete: 6 of its 7 sections end"},
      {"empty", "", "is incomplete: 0 of its 7 sections end"},
      {"a damaged extension", sample + "MURLOEXT" + std::string(12, '\x01'),
       "cannot load the database"},
      {"a FIFO", "", "cannot open the database", true},
  };
  std::size_t refused = 0;
  for (const Case& c : cases) {
    const std::string next = database.path() + ".new";
    if (c.fifo) {
      ASSERT_EQ(::mkfifo(next.c_str(), 0600), 0);
    } else {
      std::ofstream(next, std::ios::binary) << c.bytes;
    }
    fs::rename(next, database.path());
    server.signal(SIGHUP);
    ++refused;
    ASSERT_TRUE(server.logShows("; still serving the database loaded before", refused))
        << c.name << ": " << server.log();
    EXPECT_NE(server.log().find(c.why), std::string::npos) << c.name << ": " << server.log();
    EXPECT_EQ(server.get(target).body, served) << c.name;
    EXPECT_NE(
        server.get("/metrics")
            .body.find("murlo_reloads_total{result=\"refused\"} " + std::to_string(refused) + "\n"),
        std::string::npos)
        << c.name;
  }
  // A whole file again: swapped in.
  fs::remove(database.path());
  std::ofstream(database.path(), std::ios::binary) << sample;
  server.signal(SIGHUP);
  ASSERT_TRUE(server.logShows("murlo serve: loaded " + database.path())) << server.log();
  EXPECT_NE(server.get("/metrics").body.find("murlo_reloads_total{result=\"done\"} 1\n"),
            std::string::npos);
}

TEST(MurloServeSignalTest, EachRequestDuringReloadsIsAnsweredFromOneDatabase) {
  // Two networks in turn at one path, reloaded while two clients ask.
  const std::string example = test::packOrFail(test::workedExampleSections());
  const std::string sample = test::readFile(MURLO_SAMPLE_DB);
  test::TempFile database(example, "served.db");
  const auto replace = [&](const std::string& bytes) {
    { std::ofstream(database.path() + ".new", std::ios::binary) << bytes; }
    fs::rename(database.path() + ".new", database.path());
  };
  Server server(database.path());
  ASSERT_GT(server.port(), 0) << server.log();
  const std::string target = "/api/at" + query({{"station", "天津"}});
  const std::string fromExample = server.get(target).body;
  replace(sample);
  server.signal(SIGHUP);
  ASSERT_TRUE(server.logShows("murlo serve: loaded ", 1)) << server.log();
  const std::string fromSample = server.get(target).body;
  ASSERT_NE(fromExample, fromSample);

  std::vector<std::vector<HttpReply>> replies(2);
  std::vector<std::thread> clients;
  for (auto& mine : replies) {
    clients.emplace_back([&server, &target, &mine] {
      for (int i = 0; i < 150; ++i) mine.push_back(server.get(target));
    });
  }
  for (int reload = 0; reload < 4; ++reload) {
    replace(reload % 2 == 0 ? example : sample);
    server.signal(SIGHUP);
    EXPECT_TRUE(server.logShows("murlo serve: loaded ", static_cast<std::size_t>(reload) + 2));
  }
  for (std::thread& client : clients) client.join();
  for (const auto& mine : replies) {
    for (const HttpReply& reply : mine) {
      EXPECT_EQ(reply.status, 200) << reply.body;
      EXPECT_TRUE(reply.body == fromExample || reply.body == fromSample) << reply.body;
    }
  }
}

// A number of /metrics ("murlo_answer_cache_bytes"), or -1.
long long metric(const Server& server, const std::string& name) {
  const std::string body = "\n" + server.get("/metrics").body;
  const std::size_t at = body.find("\n" + name + " ");
  return at == std::string::npos ? -1 : std::stoll(body.substr(at + name.size() + 2));
}

TEST(MurloServeSignalTest, KeptAnswersAreOfTheDatabaseServedAndStayWithinTheirBound) {
  // The worked example, then the sample network, then the example again at
  // one path, served with a cache of 1 MiB; the sample served without a
  // cache answers as it should.
  const std::string example = test::packOrFail(test::workedExampleSections());
  const std::string sample = test::readFile(MURLO_SAMPLE_DB);
  test::TempFile database(example, "served.db");
  Server server(database.path(), {"--port", "0", "--cache", "1"});
  Server uncached(MURLO_SAMPLE_DB, {"--port", "0", "--cache", "0"});
  // Its answers name its file: compared without it.
  const auto expected = [&uncached](const std::string& target) {
    return std::regex_replace(uncached.get(target).body, std::regex(R"("database":"[^"]*")"),
                              "\"database\":\"\"");
  };
  const auto asked = [&server](const std::string& target) {
    return std::regex_replace(server.get(target).body, std::regex(R"("database":"[^"]*")"),
                              "\"database\":\"\"");
  };
  ASSERT_GT(server.port(), 0) << server.log();
  ASSERT_GT(uncached.port(), 0) << uncached.log();
  std::size_t loads = 0;
  const auto reload = [&](const std::string& bytes) {
    { std::ofstream(database.path() + ".new", std::ios::binary) << bytes; }
    fs::rename(database.path() + ".new", database.path());
    server.signal(SIGHUP);
    return server.logShows("murlo serve: loaded ", ++loads);
  };
  // Questions asked again in other words are the same question.
  const std::string tianjin = percentEncoded("天津");
  struct Case {
    std::vector<std::string> targets;  // one question, in several words
  } cases[] = {
      {{"/api/header"}},
      {{"/api/at?station=" + tianjin, "/api/at?order=time&station=" + tianjin}},
      {{"/api/departures?station=" + tianjin + "&at=08:00",
        "/api/departures?at=0800&station=" + tianjin}},
      {{"/api/match?text=bj", "/api/match?limit=10&text=bj"}},
      {{"/api/stations"}},
      {{"/api/at?station=" + percentEncoded("没有")}},  // unknown: a 404 kept too
  };
  std::map<std::string, std::string> fromExample;  // by each question's first words
  for (const Case& c : cases) {
    const std::string& first = fromExample[c.targets[0]] = server.get(c.targets[0]).body;
    for (const std::string& target : c.targets) EXPECT_EQ(server.get(target).body, first) << target;
  }
  ASSERT_TRUE(reload(sample)) << server.log();
  for (const Case& c : cases) {
    const std::string answer = expected(c.targets[0]);
    for (const std::string& target : c.targets) EXPECT_EQ(asked(target), answer) << target;
  }
  EXPECT_NE(server.get("/api/header").body, fromExample["/api/header"]);
  ASSERT_TRUE(reload(example)) << server.log();
  for (const Case& c : cases) {
    EXPECT_EQ(server.get(c.targets[0]).body, fromExample[c.targets[0]]) << c.targets[0];
  }

  // More distinct answers than 1 MiB holds (every station's trains, in
  // two orders and from three times): the oldest make room, what is kept
  // stays within the bound, and answers made again are as before.
  ASSERT_TRUE(reload(sample)) << server.log();
  const std::string names = uncached.get("/api/stations").body;
  std::vector<std::string> stations;
  const std::size_t from = names.find("\"stations\":[") + 12;
  const std::string list = names.substr(from, names.find(']', from) - from);
  const std::regex quoted(R"re("([^"]+)")re");
  for (std::sregex_iterator it(list.begin(), list.end(), quoted), end; it != end; ++it) {
    stations.push_back(it->str(1));
  }
  ASSERT_GT(stations.size(), 50u);
  std::vector<std::string> many;
  for (const std::string& station : stations) {
    for (const char* more : {"", "&order=index"}) {
      many.push_back("/api/at?station=" + percentEncoded(station) + more);
    }
    for (const char* at : {"06:00", "12:00", "18:00"}) {
      many.push_back("/api/departures?limit=0&at=" + std::string(at) +
                     "&station=" + percentEncoded(station));
    }
  }
  for (const std::string& target : many) server.get(target);
  EXPECT_GT(metric(server, "murlo_answer_cache_bytes"), 0);
  EXPECT_LE(metric(server, "murlo_answer_cache_bytes"), 1 << 20);
  EXPECT_LT(metric(server, "murlo_answer_cache_entries"), static_cast<long long>(many.size()));
  for (std::size_t i = 0; i < many.size(); i += 37) EXPECT_EQ(asked(many[i]), expected(many[i]));
  for (const Case& c : cases) EXPECT_EQ(asked(c.targets[0]), expected(c.targets[0]));
}

TEST(MurloServeSignalTest, SigtermAndSigintStopOnceTheRequestsUnderWayAreAnswered) {
  for (const int number : {SIGTERM, SIGINT}) {
    Server server(MURLO_SAMPLE_DB);
    ASSERT_GT(server.port(), 0) << server.log();
    // A request under way: its head sent but for the blank line that ends it.
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(server.port()));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    const std::string head = "GET /api/header HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n";
    ASSERT_EQ(::send(fd, head.data(), head.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(head.size()));
    // Wait until the server reads it, then ask it to stop.
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    server.signal(number);
    EXPECT_TRUE(server.logShows("stopping once the requests under way are answered"));
    ASSERT_EQ(::send(fd, "\r\n", 2, MSG_NOSIGNAL), 2);
    std::string answer;
    char buffer[4096];
    timeval timeout{20, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
      answer.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    EXPECT_EQ(answer.rfind("HTTP/1.1 200 OK\r\n", 0), 0u) << answer;
    EXPECT_NE(answer.find("\"header\":\"CN-SAMPLE1\"}"), std::string::npos) << answer;
    EXPECT_EQ(server.exitStatus(), std::optional<int>(0)) << server.log();
    EXPECT_TRUE(server.logShows("murlo serve: stopped")) << server.log();
    // Nothing listens there any more.
    EXPECT_EQ(server.get("/api/header").status, 0);
  }
}

TEST(MurloServeStartTest, AFileThatCannotBeLoadedOrAPortInUseIsAFailure) {
  Server missing("/nonexistent/murlo.db");
  EXPECT_EQ(missing.port(), 0);
  EXPECT_EQ(missing.exitStatus(), std::optional<int>(1));
  EXPECT_EQ(missing.log(), "murlo: cannot open the database /nonexistent/murlo.db\n");

  // A port in use is not shared with the server already there.
  Server first(MURLO_SAMPLE_DB);
  ASSERT_GT(first.port(), 0);
  Server second(MURLO_SAMPLE_DB, {"--port", std::to_string(first.port())});
  EXPECT_EQ(second.exitStatus(), std::optional<int>(1));
  EXPECT_EQ(second.log(), "murlo: cannot listen on 127.0.0.1 port " + std::to_string(first.port()) +
                              ": Address already in use\n");
  for (const auto& [option, value] :
       std::vector<std::pair<std::string, std::string>>{{"--port", "65536"},
                                                        {"--port", "-1"},
                                                        {"--port", "http"},
                                                        {"--threads", "0"},
                                                        {"--threads", "257"},
                                                        {"--host", ""},
                                                        {"--host", "[::1]"},
                                                        {"--host", "local host"},
                                                        {"--host", "-x.example"},
                                                        {"--host", "127.0.0.1:80"}}) {
    const test::CommandResult wrong = runMurlo({"serve", option, value});
    EXPECT_EQ(wrong.status, 2) << option << " " << value;
    if (option == "--host") {
      EXPECT_NE(wrong.err.find("murlo: --host takes an address or a host name"), std::string::npos)
          << wrong.err;
    }
  }

  // A FIFO as the database: refused at once, not waited on for a writer.
  test::TempFile dir("", "unused");
  const std::string fifo = dir.dir() + "/fifo.db";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const auto start = Clock::now();
  Server fromFifo(fifo);
  EXPECT_EQ(fromFifo.exitStatus(), std::optional<int>(1));
  EXPECT_LT(Clock::now() - start, std::chrono::seconds(10));
  EXPECT_EQ(fromFifo.log(), "murlo: cannot open the database " + fifo + "\n");

  // Beyond this machine: a warning.
  Server everywhere(MURLO_SAMPLE_DB, {"--port", "0", "--host", "0.0.0.0"});
  EXPECT_TRUE(
      everywhere.logShows("murlo serve: warning: listening on 0.0.0.0, beyond this machine"))
      << everywhere.log();
}

// ---- Dates ----------------------------------------------------------------------

// The value of the text field `name` of a JSON answer, or "" without one.
std::string textField(const std::string& json, const std::string& name) {
  std::smatch match;
  if (!std::regex_search(json, match, std::regex("\"" + name + "\":\"([^\"]*)\""))) return "";
  return match[1];
}

// The train numbers of an answer (a journey's by its rides), sorted.
std::vector<std::string> trainNumbersOf(const std::string& json) {
  std::vector<std::string> numbers;
  const std::regex number(R"re("number":"([^"]*)")re");
  for (auto it = std::sregex_iterator(json.begin(), json.end(), number);
       it != std::sregex_iterator(); ++it) {
    numbers.push_back((*it)[1]);
  }
  std::sort(numbers.begin(), numbers.end());
  return numbers;
}

TEST(MurloServeDateTest, QuestionsAreAskedForADateOfTheTimetablesPeriod) {
  // W1 on weekdays, E2 at weekends, S3 on one date (a Thursday) alone.
  test::TempFile source(
      "period 2020-01-01 2029-12-31 zone Asia/Shanghai\n"
      "station Aton AT\nstation Beeby BB\n"
      "train W1 class 1 columns F rate D\n  days mon-fri\n"
      "  Aton  -  08:00  0\n  Beeby  09:00  -  100\nend\n"
      "train E2 class 1 columns F rate D\n  days sat,sun\n"
      "  Aton  -  10:00  0\n  Beeby  11:00  -  100\nend\n"
      "train S3 class 1 columns F rate D\n  days none also 2026-10-01\n"
      "  Aton  -  12:00  0\n  Beeby  13:00  -  100\nend\n",
      "calendar.tt");
  const std::string database = source.dir() + "/calendar.db";
  ASSERT_EQ(runMurlo({"build", source.path(), database}).status, 0);
  Server server(database);
  ASSERT_GT(server.port(), 0) << server.log();

  const std::string header = server.get("/api/header").body;
  EXPECT_EQ(textField(header, "first_date"), "2020-01-01") << header;
  EXPECT_EQ(textField(header, "last_date"), "2029-12-31") << header;
  EXPECT_EQ(textField(header, "time_zone"), "Asia/Shanghai") << header;
  const std::string today = textField(header, "today");

  using Params = std::vector<std::pair<std::string, std::string>>;
  const Params board = {{"station", "Aton"}, {"at", "00:00"}};
  const Params route = {{"from", "Aton"}, {"to", "Beeby"}, {"at", "00:00"}};
  const auto with = [](Params params, const std::string& date) {
    params.emplace_back("date", date);
    return params;
  };
  struct Case {
    std::string endpoint;
    Params params;
    int status;
    std::string date;                 // the answer's
    std::vector<std::string> trains;  // status 200
    std::string message;              // status 400: how it begins
  } cases[] = {
      {"departures", with(board, "2026-09-23"), 200, "2026-09-23", {"W1"}, ""},
      {"departures", with(board, "20260926"), 200, "2026-09-26", {"E2"}, ""},
      {"arrivals",
       with({{"station", "Beeby"}, {"at", "00:00"}}, "2026-10-01"),
       200,
       "2026-10-01",
       {"S3", "W1"},
       ""},
      {"direct", with(route, "2026-10-01"), 200, "2026-10-01", {"S3", "W1"}, ""},
      {"plan", with(route, "2026-09-27"), 200, "2026-09-27", {"E2"}, ""},
      {"departures",
       with(board, "2030-01-05"),
       400,
       "",
       {},
       "date 2030-01-05 is outside the timetable's period 2020-01-01 to 2029-12-31"},
      {"plan",
       with(route, "2019-12-31"),
       400,
       "",
       {},
       "date 2019-12-31 is outside the timetable's period 2020-01-01 to 2029-12-31"},
      {"direct", with(route, "2026-13-01"), 400, "", {}, "date takes a date"},
      {"direct", with(route, ""), 400, "", {}, "date takes a date"},
  };
  for (const Case& c : cases) {
    const std::string target = "/api/" + c.endpoint + query(c.params);
    // Twice: the answer kept is the answer made.
    for (int time = 0; time < 2; ++time) {
      const HttpReply reply = server.get(target);
      EXPECT_EQ(reply.status, c.status) << target << ": " << reply.body;
      if (c.status == 200) {
        EXPECT_EQ(textField(reply.body, "date"), c.date) << target;
        EXPECT_EQ(trainNumbersOf(reply.body), c.trains) << target;
      } else {
        EXPECT_EQ(textField(reply.body, "message").substr(0, c.message.size()), c.message)
            << target;
        EXPECT_EQ(textField(reply.body, "parameter"), "date") << target;
      }
    }
  }
  // today, tomorrow and no date are dates, settled before an answer is kept:
  // today's answer is the answer for today's date.
  for (const std::string endpoint : {"departures", "direct", "plan"}) {
    const Params params = endpoint == "departures" ? board : route;
    const std::string byWord = server.get("/api/" + endpoint + query(with(params, "today"))).body;
    const std::string unasked = server.get("/api/" + endpoint + query(params)).body;
    const std::string byDate = server.get("/api/" + endpoint + query(with(params, today))).body;
    const std::string next = server.get("/api/" + endpoint + query(with(params, "tomorrow"))).body;
    if (textField(byWord, "date") != today) continue;  // midnight passed in between
    EXPECT_EQ(byWord, byDate) << endpoint;
    EXPECT_EQ(unasked, byDate) << endpoint;
    EXPECT_LT(today, textField(next, "date")) << endpoint;
  }
}

}  // namespace
}  // namespace murlo
