-- wrk script: every request is the application's lookup of one serial (registered or not), and the
-- summary at the end gives the figures the service is held to.
-- The serial comes from the environment so that load.sh and this script share one value.
local serial = os.getenv("QUELMARN_BENCH_SERIAL") or "QX2K93HT7LMP"

-- QUELMARN_BENCH_METHOD=GET fetches the page instead: a static copy of it, as a reference.
wrk.method = os.getenv("QUELMARN_BENCH_METHOD") or "POST"
if wrk.method == "POST" then
    wrk.body = "sn=" .. serial
    wrk.headers["Content-Type"] = "application/x-www-form-urlencoded"
end

function done(summary, latency, requests)
    local errors = summary.errors
    local seconds = summary.duration / 1e6
    io.write("\n--- quelmarn-lookupd lookup load ---\n")
    io.write(string.format("requests:      %d in %.1f s\n", summary.requests, seconds))
    io.write(string.format("requests/s:    %.0f\n", summary.requests / seconds))
    io.write(string.format("errors:        connect %d, read %d, write %d, timeout %d, non-2xx %d\n",
        errors.connect, errors.read, errors.write, errors.timeout, errors.status))
    for _, p in ipairs({ 50, 90, 99, 99.9 }) do
        io.write(string.format("latency p%-5s %.2f ms\n", p, latency:percentile(p) / 1000))
    end
    io.write(string.format("latency max    %.2f ms\n", latency.max / 1000))
end
