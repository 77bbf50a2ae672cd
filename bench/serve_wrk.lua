-- wrk's script for bench/serve_wrk.sh: each request a target drawn at
-- random from the file named by SERVE_WRK_TARGETS; prints one RESULT line.
local targets = {}
for line in io.lines(os.getenv("SERVE_WRK_TARGETS")) do targets[#targets + 1] = line end
local counter = 0
function setup(thread) counter = counter + 1; thread:set("id", counter) end
function init(args) math.randomseed(id * 7919) end
function request() return wrk.format("GET", targets[math.random(#targets)]) end
local errors = 0
function response(status, headers, body) if status ~= 200 and status ~= 404 and status ~= 400 then errors = errors + 1 end end
function done(summary, latency, requests)
  io.write(string.format("RESULT rps=%.0f p50=%.2fms p99=%.2fms max=%.1fms requests=%d non2xx_errors=%d sockerr=%d/%d/%d/%d\n",
    summary.requests / (summary.duration / 1e6), latency:percentile(50) / 1000, latency:percentile(99) / 1000,
    latency.max / 1000, summary.requests, summary.errors.status, summary.errors.connect, summary.errors.read,
    summary.errors.write, summary.errors.timeout))
end
