#!/usr/bin/env bash
# The table of a `make fleet` rollout: the PCs by exit code, as win_package
# judges them, each group with the reason its PCs' logs give on their last
# line; the per-PC median and slowest run; and every PC whose code or log is
# not what its preparation expects (FLEET/plan.txt, fleet/inventory.sh).
# Reads FLEET/results.txt ("NAME code h:mm:ss.micro" a line, written by
# fleet/rollout.yml; code 124: the run did not end in time and was stopped),
# FLEET/boot/NAME and the logs in FLEET/share/LOGS.
# Usage: fleet-report.sh FLEET_DIR
# Environment: FLEET_WALL_SECONDS, FLEET_BOOT_SECONDS (printed as given).
# Exit status: 0 when every PC ended as expected.
set -uo pipefail
fleet=${1:?usage: fleet-report.sh FLEET_DIR}

# One line per PC: name, expected code, expected words, note, boot, code,
# seconds, the log's last line without its time.
while IFS='|' read -r name windows preparation arguments code words note; do
  boot=$(cat "$fleet/boot/$name" 2>/dev/null || echo "not booted")
  read -r got delta < <(awk -v pc="$name" '$1 == pc { print $2, $3 }' "$fleet/results.txt" 2>/dev/null)
  [ -n "${delta:-}" ] || { got=none; delta=0:00:00; }
  last=$(tail -n 1 "$fleet/share/LOGS/$name.LOG" 2>/dev/null | tr -d '\r' |
         sed -E 's/^[0-9-]+ [0-9:.]+ //')
  printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s %s\n' "$name" "$code" "$words" "$note" "$boot" "$got" \
    "$(awk -F: -v d="$delta" 'BEGIN { split(d, p, ":"); printf "%.2f", p[1] * 3600 + p[2] * 60 + p[3] }')" \
    "${last:-(no log)}" "$windows" "$arguments"
done <"$fleet/plan.txt" | awk -F'\t' -v wall="${FLEET_WALL_SECONDS:-?}" -v boot="${FLEET_BOOT_SECONDS:-?}" '
BEGIN { word[0] = "done"; word[3010] = "restart"; word[1602] = "cancelled"; word[1603] = "failed"; word[1618] = "running" }
function verdict(c) { return c == 0 ? "ok" : c == 3010 ? "ok, reboot_required" : c == 124 ? "hung: stopped" : c == "none" ? "no result" : "failed" }
function names(list, count,   a, k, s) {
  k = split(list, a, " ")
  s = a[1]; for (i = 2; i <= k && i <= 8; i++) s = s " " a[i]
  return k > 8 ? s " ... (" count ")" : s " (" count ")"
}
{
  name = $1; got = $6; reason = $8; sub(/^result: [0-9]+ ?/, "", reason)
  key = got "\t" reason
  if (!(key in count)) { order[++groups] = key; note[key] = $4 } else if (note[key] != $4) note[key] = ""
  count[key]++; pcs[key] = pcs[key] " " name
  time[++runs] = $7 + 0; who[runs] = name
  problem = ""
  if ($5 != "ok") problem = "not prepared: " $5
  else if (got != $2) problem = "expected " $2 ", ended with " got
  else if (index($8, "result: " got " " word[got] ":") != 1) problem = "its log does not end with result: " got " " word[got]
  else if ($3 != "" && index(tolower($8), tolower($3)) == 0) problem = "its log does not say \"" $3 "\""
  if (problem != "") bad[++mismatches] = name " (" $9 "): " problem "; log: " $8
}
END {
  printf "\n%-5s %-20s %-60s %s\n", "code", "win_package verdict", "PCs", "reason (the last line of each PC'"'"'s log)"
  for (g = 1; g <= groups; g++) {
    split(order[g], k, "\t")
    printf "%-5s %-20s %-60s %s%s\n", k[1], verdict(k[1]), names(substr(pcs[order[g]], 2), count[order[g]]),
      k[2] == "" ? "(none)" : k[2], note[order[g]] == "" ? "" : "  [" note[order[g]] "]"
  }
  # The per-PC times, sorted: the median and the slowest.
  for (i = 1; i <= runs; i++) for (j = i + 1; j <= runs; j++)
    if (time[j] < time[i]) { t = time[i]; time[i] = time[j]; time[j] = t; w = who[i]; who[i] = who[j]; who[j] = w }
  median = runs % 2 ? time[(runs + 1) / 2] : (time[runs / 2] + time[runs / 2 + 1]) / 2
  printf "\n%d PCs: desktops up in %s s; the rollout took %s s wall time; per PC median %.2f s, slowest %.2f s (%s)\n",
    runs, boot, wall, median, time[runs], who[runs]
  if (mismatches) {
    printf "\n%d PCs did not end as prepared:\n", mismatches
    for (i = 1; i <= mismatches; i++) print "  " bad[i]
    exit 1
  }
  print "Every PC ended with the code and log its preparation expects."
}'
