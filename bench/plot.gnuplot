# The chart of docs/performance.md: median time of each query against the
# size of the network, the library (solid) beside the SQLite baseline
# (dashed, same colour).
#   gnuplot -e "datafile='chart.dat'; outfile='docs/performance.png'" bench/plot.gnuplot
# `datafile` is what murlo_bench --chart writes: a block per query, headed by
# its name, with one line per network (stations, library µs, SQLite µs).
if (!exists("datafile")) datafile = 'build/bench/results/chart.dat'
if (!exists("outfile")) outfile = 'docs/performance.png'

set terminal pngcairo size 1200,720 font "DejaVu Sans,10" noenhanced
set output outfile
set title "Median time per query against network size: library (solid) and SQLite baseline (dashed)"

set logscale xy
set xrange [220:14000]
set xtics ("small\n300 stations" 300, "national\n3,000 stations" 3000, "maximal\n10,000 stations" 10000)
set ylabel "microseconds per query (log scale)"
set format y "%g"
set yrange [0.05:*]
set grid xtics ytics mytics
set bmargin 5
set key outside right top vertical spacing 1.2 samplen 3
set style data linespoints

# Twelve colours, one per query.
colours = "#1f77b4 #ff7f0e #2ca02c #d62728 #9467bd #8c564b #e377c2 #7f7f7f #bcbd22 #17becf #000000 #f0c000"
do for [i=1:12] { set linetype i lc rgb word(colours, i) lw 2 pt 7 ps 0.9 }

stats datafile using 1 nooutput
blocks = STATS_blocks

plot for [i=0:blocks-1] datafile index i using 1:2 title columnheader(1) lt (i+1) dt 1, \
     for [i=0:blocks-1] datafile index i using 1:3 notitle lt (i+1) dt 2
