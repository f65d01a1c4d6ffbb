# A naive converter for comparison: the track line of every $GPRMC sentence
# with a position, degrees written by printf "%.15g", one file. It makes none
# of zum-convert's waypoint decisions; it shows what a plain script costs.
#   mawk -F, -v out=FILE -f bench/naive-convert.awk LOG
BEGIN { print "BEGIN LINE\r" > out }
$1 == "$GPRMC" && NF > 7 && $4 != "" && $6 != "" {
    lat = int($4 / 100) + ($4 % 100) / 60
    lon = int($6 / 100) + ($6 % 100) / 60
    if ($5 == "S") lat = -lat
    if ($7 == "W") lon = -lon
    printf "%.15g,%.15g\r\n", lat, lon > out
}
END { print "END\r" > out }
