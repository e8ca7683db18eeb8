# shellcheck shell=bash disable=SC2154 # probe and work are the caller's
# Sourced by scripts/bench.sh and scripts/windows-bench.sh: the probe runs and the table rows
# worked out from them. The caller sets probe (bench_probe's path) and work (a scratch
# folder); every run's "name value" lines go to $work/raw, prefixed with a label.

# One probe run. A run that fails (no window in time) is counted and leaves no figures.
failures=0
measure() { # label probe-arguments...
    local label=$1
    shift
    if "$probe" "$@" >"$work/out" 2>>"$work/errors"; then
        sed "s|^|$label |" "$work/out" >>"$work/raw"
    else
        failures=$((failures + 1))
    fi
}

# "ours floor" pairs of one figure, in run order, paired by position.
pair() { # label-ours label-floor name
    paste -d' ' <(awk -v l="$1" -v n="$3" '$1 == l && $2 == n {print $3}' "$work/raw") \
        <(awk -v l="$2" -v n="$3" '$1 == l && $2 == n {print $3}' "$work/raw") |
        awk 'NF == 2'
}
# The figures of one measurement: medians of both sides, the median of the per-pair ratios
# with its quartiles (the spread of the pairs) and its 95% interval (how far the median itself
# may be off: it narrows as pairs are added, the quartiles do not), the number of pairs.
# Prints "ours floor ratio q1 q3 low high n", or "- - - - - - - 0" without pairs.
stats() { # label-ours label-floor name
    pair "$1" "$2" "$3" | awk '
        function median(a, n) { return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2 }
        function quantile(a, n, q,   i) { i = 1 + int(q * (n - 1) + 0.5); return a[i] }
        function sort(a, n,   i, j, t) {
            for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j > 0 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
        }
        { n++; u[n] = $1; f[n] = $2; r[n] = $2 > 0 ? $1 / $2 : 0 }
        END {
            if (n == 0) { print "- - - - - - - 0"; exit }
            sort(u, n); sort(f, n); sort(r, n)
            # The order statistics around the median that hold it with 95% confidence.
            lo = int(n / 2 - 0.98 * sqrt(n) + 0.5); hi = int(n / 2 + 1 + 0.98 * sqrt(n) + 0.5)
            if (lo < 1) lo = 1
            if (hi > n) hi = n
            print median(u, n), median(f, n), median(r, n), quantile(r, n, 0.25),
                quantile(r, n, 0.75), r[lo], r[hi], n
        }'
}
# "ratio (q1-q3)" of one measurement, for a line of the history table.
ratio_cell() { # label-ours label-floor name
    stats "$@" | awk '$8 == 0 { print "-"; exit } { printf "%.2f (%.2f-%.2f)\n", $3, $4, $5 }'
}
# The table's heading, then one row per measurement: the medians of both sides, the median
# ratio, its quartiles, its 95% interval and the number of pairs.
header() { # [name-ours name-floor]
    echo "| what | ${1:-utility} | ${2:-floor} | ratio | quartiles | median's 95% | pairs |"
    echo "|---|---|---|---|---|---|---|"
}
row() { # what unit label-ours label-floor name
    local what=$1 unit=$2
    stats "$3" "$4" "$5" | awk -v what="$what" -v unit="$unit" '
        $8 == 0 { printf "| %s | - | - | - | - | - | 0 |\n", what; exit }
        {
            scale = unit == "MB" ? 1024 : 1
            printf "| %s | %.1f %s | %.1f %s | %.2f | %.2f-%.2f | %.2f-%.2f | %d |\n", what,
                $1 / scale, unit, $2 / scale, unit, $3, $4, $5, $6, $7, $8
        }'
}
# The run's date, the commit measured ("+" when the tree had changes) and the load average.
run_stamp() {
    local root commit
    root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
    commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo unknown)
    git -C "$root" diff --quiet HEAD -- src bench 2>/dev/null || commit="$commit+"
    echo "$(date -u '+%Y-%m-%d %H:%M') | $commit"
}
