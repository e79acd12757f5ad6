# Lays out the benchmarks' rows (result_row.h: "row", part, measure, figure,
# unit, reference, reference figure, target, status, then the machine's
# one-minute load when bench/run received the row) as one Markdown table,
# with each figure's ratio to its reference.
#   awk -f bench/table.awk rows.tsv
BEGIN { FS = "\t" }

function shown(value, unit) {
    if (unit == "ms" && value >= 10000)
        return sprintf("%.1f s", value / 1000)
    if (value >= 100)
        return sprintf("%.0f %s", value, unit)
    if (value >= 10)
        return sprintf("%.1f %s", value, unit)
    return sprintf("%.2f %s", value, unit)
}

function ratio(figure, reference) {
    if (reference <= 0)
        return ""
    r = figure / reference
    if (r >= 100)
        return sprintf("%.0f", r)
    if (r >= 10)
        return sprintf("%.1f", r)
    return sprintf("%.2f", r)
}

$1 == "row" {
    n++
    cell[n, 1] = $2
    cell[n, 2] = $3
    cell[n, 3] = $9 == "broken" ? "" : shown($4, $5)
    cell[n, 4] = $6
    cell[n, 5] = $6 == "" ? "" : shown($7, $5)
    cell[n, 6] = $9 == "broken" ? "" : ratio($4, $7)
    cell[n, 7] = $8
    cell[n, 8] = $9
    cell[n, 9] = $10
}

END {
    split("part|measure|figure|reference|ref. figure|ratio|target|status|load", head, "|")
    for (c = 1; c <= 9; c++) {
        width[c] = length(head[c])
        for (r = 1; r <= n; r++)
            if (length(cell[r, c]) > width[c])
                width[c] = length(cell[r, c])
    }
    line = "|"
    rule = "|"
    for (c = 1; c <= 9; c++) {
        line = line sprintf(" %-*s |", width[c], head[c])
        # Figures and ratios are right-aligned.
        dashes = sprintf("%*s", width[c], "")
        gsub(/ /, "-", dashes)
        right = c == 3 || c == 5 || c == 6 || c == 9
        rule = rule (right ? "-" dashes ":|" : "-" dashes "-|")
    }
    print line
    print rule
    for (r = 1; r <= n; r++) {
        line = "|"
        for (c = 1; c <= 9; c++) {
            right = c == 3 || c == 5 || c == 6 || c == 9
            line = line sprintf(right ? " %*s |" : " %-*s |", width[c], cell[r, c])
        }
        print line
    }
}
