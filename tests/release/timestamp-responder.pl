#!/usr/bin/perl
# timestamp-responder.pl FOLDER: an RFC 3161 time-stamp server on 127.0.0.1 for the signing
# test, with no network beyond this machine: each POSTed query is answered by `openssl ts
# -reply` with the TSA of FOLDER/tsa.cnf. Prints its port on the first line of standard
# output, then serves until killed.
use strict;
use warnings;
use IO::Socket::INET;

my $folder = shift or die "usage: timestamp-responder.pl FOLDER\n";
my $server = IO::Socket::INET->new(LocalAddr => '127.0.0.1', LocalPort => 0, Listen => 5,
                                   ReuseAddr => 1) or die "timestamp-responder: $!\n";
$| = 1;
print $server->sockport(), "\n";
open(STDERR, '>', "$folder/responder.log") or die $!;  # openssl's notes on each reply

while (my $client = $server->accept()) {
    binmode $client;
    my ($length, $line) = (0, '');
    while (defined($line = <$client>) && $line !~ /^\r?\n$/) {
        $length = $1 if $line =~ /^Content-Length:\s*(\d+)/i;
    }
    my $query = '';
    read($client, $query, $length) == $length or next;
    open(my $out, '>:raw', "$folder/query.tsq") or die $!;
    print $out $query;
    close $out;
    my $status = system('openssl', 'ts', '-reply', '-config', "$folder/tsa.cnf",
                        '-queryfile', "$folder/query.tsq", '-out', "$folder/reply.tsr");
    my $reply = '';
    if ($status == 0 && open(my $in, '<:raw', "$folder/reply.tsr")) {
        local $/;
        $reply = <$in>;
        close $in;
        print $client "HTTP/1.0 200 OK\r\nContent-Type: application/timestamp-reply\r\n",
                      "Content-Length: ", length($reply), "\r\n\r\n", $reply;
    } else {
        print $client "HTTP/1.0 500 Internal Server Error\r\nContent-Length: 0\r\n\r\n";
    }
    close $client;
}
