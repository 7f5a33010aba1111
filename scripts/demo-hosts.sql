-- The demonstration hosts: one of each kind the test namespace of
-- scripts/netns answers as, so one run shows every colour and status.
-- Thresholds 0 / 50 / 200 / 1000 ms; colours green, yellow-green, orange, red.
INSERT INTO serverlist (servername, serverip, time1, color1, time2, color2, time3, color3, time4, color4, auto, record, handle) VALUES
 ('本机', '127.0.0.1', 0, 3329330, 50, 3329434, 200, 33023, 1000, 2763429, 1, 0, 0),
 ('办公网关', '198.18.1.1', 0, 3329330, 50, 3329434, 200, 33023, 1000, 2763429, 1, 1, 0),
 ('近端服务器', '198.18.1.4', 0, 3329330, 50, 3329434, 200, 33023, 1000, 2763429, 1, 1, 0),
 ('远端服务器', '198.18.1.2', 0, 3329330, 50, 3329434, 200, 33023, 1000, 2763429, 1, 1, 0),
 ('丢包线路', '198.18.1.6', 0, 3329330, 50, 3329434, 200, 33023, 1000, 2763429, 1, 1, 0),
 ('离线主机', '198.18.1.3', 0, 3329330, 50, 3329434, 200, 33023, 1000, 2763429, 1, 0, 0);
