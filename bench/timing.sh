# Shared by the benchmark scripts (sourced): wall-clock timing and ratios.
now() { date +%s.%N; }
# elapsed START: seconds since START
elapsed() { awk -v a="$(now)" -v b="$1" 'BEGIN { printf "%.3f", a - b }'; }
# ratio A B: A / B with four decimals
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.4f", a / b }'; }
size() { stat -c %s "$1"; }
